#include "app/termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int pipeEnds[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the socket, which
// the event loop reads.
void onSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(pipeEnds[0], &byte, 1);
}
}  // namespace

void quitOnTerminationSignal() {
  if (pipeEnds[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0) return;
  auto* notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char byte;
    [[maybe_unused]] const auto read = ::read(pipeEnds[1], &byte, 1);
    // A second request while closing (a closing copy that does not end)
    // ends at once: the data file is whole, an unfinished copy is never kept.
    static bool asked = false;
    if (asked) std::_Exit(128 + SIGTERM);
    asked = true;
    QCoreApplication::quit();
  });
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
}
