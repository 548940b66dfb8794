// Termination signals turned into a quit of the message loop through a self-pipe.
#include "platform/qt/QtSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/qt/QtBackend.h"
#include "platform/vcl/Forms.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  char byte = 1;
  [[maybe_unused]] ssize_t ignored = write(signalPipe[1], &byte, 1);  // only async-signal-safe work here
}

}  // namespace

void QuitLoopOnTerminationSignals(QtBackend& backend) {
  if (signalPipe[0] >= 0 || pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [&backend] {
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    // Through the application, so that a request in progress is abandoned too.
    if (Application)
      Application->Terminate();
    else
      backend.Quit();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}
