#pragma once
// A termination request from the system (SIGTERM, as at shutdown) ends the
// program as closing its window does: the closing copy of the data file is
// made and the connection closed. A second request ends it at once.
void quitOnTerminationSignal();
