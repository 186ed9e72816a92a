#pragma once
// The main window as start-up brings it up, on the test data directory that
// is the working directory: filled, cleared, shown and active.
#include "app/mainwindow.h"
#include "support/fixture.h"

#include <memory>

// Null when the window could not be shown and activated.
inline std::unique_ptr<Setting> startMainWindow() {
  auto window = std::make_unique<Setting>();
  window->startUp();
  if (!showAndActivate(window.get())) return nullptr;
  return window;
}
