#pragma once
// Start-up with a Jet-format "Setting.MDB": ask whether to convert it, have
// Access closed first when its lock file is there, ask for the database
// password when the file has one, convert with a progress dialog (the work runs in a worker thread, so the window
// stays responsive and can be cancelled), then show the report.
#include <QString>

class QWidget;

enum class JetStart {
  NotJet,     // not a Jet file: start as usual
  Declined,   // the user said No: start as usual (which ends with "cannot open")
  Converted,  // the new data file is in place: start as usual
  Ended,      // cancelled or failed, message shown: end the program
};

JetStart offerJetConversion(const QString& dataFile, QWidget* parent = nullptr);
