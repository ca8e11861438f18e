// Ctrl-C and SIGTERM on Linux: the handler only writes a byte to a pipe, and the event
// loop, watching the pipe's other end, tells the program. Nothing else is safe to do
// inside a signal handler.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cerrno>

#include <QSocketNotifier>
#include <array>
#include <atomic>

#include "platform/linux/LinuxBackends.h"

namespace velmaro::platform::linux_backend {
namespace {

// The one thing a handler may reach: the pipe's end of the one object listening now.
std::atomic<int> g_wakeFd{-1};

void onSignal(int) {
  const int saved = errno;
  const int fd = g_wakeFd.load();
  if (fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = saved;
}

constexpr std::array<int, 2> kSignals{SIGINT, SIGTERM};

class PipeStopRequests final : public StopRequests {
 public:
  PipeStopRequests(int readFd, int writeFd)
      : m_read(readFd), m_write(writeFd), m_notifier(readFd, QSocketNotifier::Read) {
    connect(&m_notifier, &QSocketNotifier::activated, this, [this] {
      char bytes[64];
      while (::read(m_read, bytes, sizeof bytes) > 0) {
      }
      emit requested();
    });
    g_wakeFd.store(m_write);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &m_old[i]);
  }
  ~PipeStopRequests() override {
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &m_old[i], nullptr);
    g_wakeFd.store(-1);
    ::close(m_read);
    ::close(m_write);
  }

 private:
  int m_read;
  int m_write;
  QSocketNotifier m_notifier;
  std::array<struct sigaction, kSignals.size()> m_old{};
};

}  // namespace

std::unique_ptr<StopRequests> watchStopRequests() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
  return std::make_unique<PipeStopRequests>(fds[0], fds[1]);
}

}  // namespace velmaro::platform::linux_backend
