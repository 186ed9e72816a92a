#pragma once
// Creating a new data file: the six tables, the version row and, on request,
// a handful of realistic sample records.
#include <QString>

// Creates `path` as a new data file. Refuses (false, with a Japanese reason)
// when the file already exists. The file is complete or absent afterwards.
bool createDataFile(const QString& path, bool withSample, QString* error);
