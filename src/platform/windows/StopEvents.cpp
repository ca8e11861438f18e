// Ctrl-C, Ctrl-Break and the console being closed, on Windows: the system runs the handler
// on a thread of its own, so the handler only sets an event, and the event loop, watching it
// with a QWinEventNotifier, tells the program.
#include <windows.h>

#include <QWinEventNotifier>
#include <atomic>

#include "platform/windows/WindowsBackends.h"

namespace velmaro::platform::windows_backend {
namespace {

// The one thing the handler may reach: the event of the one object listening now.
std::atomic<HANDLE> g_stopEvent{nullptr};

BOOL WINAPI onConsoleEvent(DWORD kind) {
  switch (kind) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      if (const HANDLE event = g_stopEvent.load()) ::SetEvent(event);
      return TRUE;
    default:
      return FALSE;
  }
}

class ConsoleStopRequests final : public StopRequests {
 public:
  explicit ConsoleStopRequests(HANDLE event) : m_event(event), m_notifier(event) {
    connect(&m_notifier, &QWinEventNotifier::activated, this, [this] {
      ::ResetEvent(m_event);
      emit requested();
    });
    g_stopEvent.store(m_event);
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
  }
  ~ConsoleStopRequests() override {
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    g_stopEvent.store(nullptr);
    m_notifier.setEnabled(false);
  }
  ConsoleStopRequests(const ConsoleStopRequests&) = delete;
  ConsoleStopRequests& operator=(const ConsoleStopRequests&) = delete;

 private:
  struct Closer {
    HANDLE handle;
    ~Closer() { ::CloseHandle(handle); }
  };
  HANDLE m_event;
  Closer m_closer{m_event};  // closed after the notifier is gone
  QWinEventNotifier m_notifier;
};

}  // namespace

std::unique_ptr<StopRequests> watchStopRequests() {
  const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event == nullptr) return nullptr;
  return std::make_unique<ConsoleStopRequests>(event);
}

}  // namespace velmaro::platform::windows_backend
