// SIGTERM, SIGINT and SIGHUP as close requests: the handler only writes a byte into a pipe, and
// the event loop turns it into a call on the window's thread.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace marulex::qt {

class SignalPipe {
 public:
  // From now on each of those signals calls `on_signal` from the event loop.
  explicit SignalPipe(std::function<void()> on_signal);
  // Restores the signals' earlier handling.
  ~SignalPipe();
  SignalPipe(const SignalPipe&) = delete;
  SignalPipe& operator=(const SignalPipe&) = delete;

 private:
  void Drain();

  std::function<void()> on_signal_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace marulex::qt
