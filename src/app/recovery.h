#pragma once
// Opening the data file at start-up, with the way back from a checked copy
// when "Setting.MDB" is missing or cannot be used.

// Opens "Setting.MDB" in the working directory. When it is missing, or is
// not a usable data file (not one of ours, damaged, a table missing), the
// usual message is shown; then, when a checked daily copy exists, the user
// is asked whether to put the newest one in place. True when the data file
// is open and the program may start.
bool openDataFileAtStartUp();
