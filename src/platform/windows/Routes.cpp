// Which way a datagram would leave, as the system's own route look-up answers it; nothing
// is sent.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include "platform/windows/Adapters.h"
#include "platform/windows/SystemError.h"
#include "platform/windows/WindowsBackends.h"

namespace velmaro::platform::windows_backend {
namespace {

// The source address the system picks for a destination: a UDP socket's connect chooses it
// and sends nothing.
quint32 sourceFor(quint32 destination) {
  const WinsockSession session;
  const SOCKET probe = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (probe == INVALID_SOCKET) return 0;
  const BOOL on = TRUE;  // the limited broadcast needs it, as for a send
  ::setsockopt(probe, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);
  to.sin_addr.s_addr = htonl(destination);
  sockaddr_in local{};
  int localSize = sizeof local;
  quint32 source = 0;
  if (::connect(probe, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
      ::getsockname(probe, reinterpret_cast<sockaddr*>(&local), &localSize) == 0)
    source = ntohl(local.sin_addr.s_addr);
  ::closesocket(probe);
  return source;
}

// Where the newer look-up is missing (Wine has none): the older one names the card only.
RouteLookup olderLookup(quint32 destination) {
  RouteLookup lookup;
  DWORD index = 0;
  const DWORD result = ::GetBestInterface(htonl(destination), &index);
  if (result != NO_ERROR) {
    lookup.failure = failureFor(WSAENETUNREACH);
    return lookup;
  }
  lookup.interfaceName = cardNameOf(index);
  if (lookup.interfaceName.isEmpty())
    lookup.failure = failureFor(WSAENETUNREACH);
  else
    lookup.source = sourceFor(destination);
  return lookup;
}

}  // namespace

RouteLookup routeTo(quint32 destination) {
  RouteLookup lookup;
  SOCKADDR_INET to{};
  to.Ipv4.sin_family = AF_INET;
  to.Ipv4.sin_addr.s_addr = htonl(destination);
  MIB_IPFORWARD_ROW2 route{};
  SOCKADDR_INET source{};
  const DWORD result = ::GetBestRoute2(nullptr, 0, nullptr, &to, 0, &route, &source);
  if (result == ERROR_NOT_SUPPORTED || result == ERROR_CALL_NOT_IMPLEMENTED)
    return olderLookup(destination);
  if (result != NO_ERROR) {
    // The socket layer's numbers, as a send to the same place would report them.
    const bool noNetwork = result == ERROR_NETWORK_UNREACHABLE || result == ERROR_NOT_FOUND;
    lookup.failure = failureFor(noNetwork                          ? WSAENETUNREACH
                                : result == ERROR_HOST_UNREACHABLE ? WSAEHOSTUNREACH
                                                                   : int(result));
    return lookup;
  }
  lookup.interfaceName = cardNameOf(route.InterfaceIndex);
  if (lookup.interfaceName.isEmpty()) {
    lookup.failure = failureFor(WSAENETUNREACH);
    return lookup;
  }
  if (source.si_family == AF_INET) lookup.source = ntohl(source.Ipv4.sin_addr.s_addr);
  return lookup;
}

}  // namespace velmaro::platform::windows_backend
