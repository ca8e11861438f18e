// The text of a Windows or Winsock error number, for reports that support staff read.
#pragma once

#include <QString>

#include "platform/DatagramSocket.h"

namespace velmaro::platform::windows_backend {

// The system's English description of an error number (a Win32 or a Winsock one), one line
// without its final full stop, whatever the desktop's language.
QString systemErrorText(int number);

// A failure with its number as the system gave it and that text.
SocketFailure failureFor(int number);

// Winsock's own session, held by every object that opens sockets (counted by the system).
class WinsockSession {
 public:
  WinsockSession();
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  // Zero when the session started, the system's error number otherwise.
  int error() const { return m_error; }

 private:
  int m_error = 0;
};

}  // namespace velmaro::platform::windows_backend
