#pragma once
// The program-wide text through which a list screen returns the code the
// user picked ("" when nothing was picked). The caller empties it before it
// opens the list and reads it afterwards.
#include <QString>

QString& SelectedCode();
