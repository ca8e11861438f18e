#include "platform/windows/SystemError.h"

#include <winsock2.h>

#include <windows.h>

#include <utility>

namespace velmaro::platform::windows_backend {
namespace {

// Messages above this length are no system text.
constexpr DWORD kMaxMessage = 1024;

// Windows' own texts of the socket errors a report shows, for a system whose message table
// lacks them (Wine has none).
constexpr std::pair<int, const char*> kSocketTexts[] = {
    {WSAEACCES,
     "An attempt was made to access a socket in a way forbidden by its access "
     "permissions"},
    {WSAEINVAL, "An invalid argument was supplied"},
    {WSAEWOULDBLOCK, "A non-blocking socket operation could not be completed immediately"},
    {WSAEMSGSIZE,
     "A message sent on a datagram socket was larger than the internal message "
     "buffer or some other network limit, or the buffer used to receive a datagram "
     "into was smaller than the datagram itself"},
    {WSAEADDRINUSE,
     "Only one usage of each socket address (protocol/network address/port) is "
     "normally permitted"},
    {WSAEADDRNOTAVAIL, "The requested address is not valid in its context"},
    {WSAENETDOWN, "A socket operation encountered a dead network"},
    {WSAENETUNREACH, "A socket operation was attempted to an unreachable network"},
    {WSAECONNRESET, "An existing connection was forcibly closed by the remote host"},
    {WSAENOBUFS,
     "An operation on a socket could not be performed because the system lacked "
     "sufficient buffer space or because a queue was full"},
    {WSAEHOSTUNREACH, "A socket operation was attempted to an unreachable host"},
};

QString messageIn(DWORD number, DWORD language) {
  wchar_t buffer[kMaxMessage] = {};
  const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, number, language, buffer, kMaxMessage, nullptr);
  return QString::fromWCharArray(buffer, int(length));
}

}  // namespace

// A report in the desktop's language would reach the 8-bit log as a row of "?"; the English
// text is what support staff search for. Windows without the English pack has only its own.
QString systemErrorText(int number) {
  QString text = messageIn(DWORD(number), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  if (text.isEmpty()) text = messageIn(DWORD(number), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
  text = text.simplified();  // the system ends with CR LF, some texts span lines
  while (text.endsWith(u'.')) text.chop(1);
  if (!text.isEmpty()) return text;
  for (const auto& [known, socketText] : kSocketTexts) {
    if (known == number) return QString::fromLatin1(socketText);
  }
  return QStringLiteral("Unknown error %1").arg(number);
}

SocketFailure failureFor(int number) { return {number, systemErrorText(number)}; }

WinsockSession::WinsockSession() {
  WSADATA data{};
  m_error = ::WSAStartup(MAKEWORD(2, 2), &data);
}

WinsockSession::~WinsockSession() {
  if (m_error == 0) ::WSACleanup();
}

}  // namespace velmaro::platform::windows_backend
