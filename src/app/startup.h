#pragma once
// Start-up of the program: single instance, data file, main window.
#include <QString>

// Runs the program; returns its exit status.
int runAshimemo(int argc, char** argv);
