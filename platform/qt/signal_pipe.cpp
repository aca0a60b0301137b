#include "platform/qt/signal_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace marulex::qt {

namespace {

constexpr std::array<int, 3> kCloseSignals = {SIGTERM, SIGINT, SIGHUP};

// One pipe for the process: signal handlers cannot be told which object to reach.
int pipe_ends[2] = {-1, -1};
struct sigaction earlier[kCloseSignals.size()];

extern "C" void OnCloseSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request; losing this one changes nothing.
  [[maybe_unused]] const ssize_t written = ::write(pipe_ends[1], &byte, 1);
  errno = saved;
}

}  // namespace

SignalPipe::SignalPipe(std::function<void()> on_signal) : on_signal_(std::move(on_signal)) {
  if (pipe_ends[0] < 0 && ::pipe2(pipe_ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(pipe_ends[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Drain(); });
  struct sigaction action = {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kCloseSignals.size(); ++i) {
    ::sigaction(kCloseSignals[i], &action, &earlier[i]);
  }
}

SignalPipe::~SignalPipe() {
  if (!notifier_) return;
  for (std::size_t i = 0; i < kCloseSignals.size(); ++i) {
    ::sigaction(kCloseSignals[i], &earlier[i], nullptr);
  }
}

void SignalPipe::Drain() {
  std::array<char, 64> bytes;
  bool any = false;
  while (::read(pipe_ends[0], bytes.data(), bytes.size()) > 0)
    any = true;
  // Several signals before the loop came round ask for one close.
  if (any) on_signal_();
}

}  // namespace marulex::qt
