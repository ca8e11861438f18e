// Who may send echo requests on Windows: every user, through the system's ICMP helper; the
// one thing left to tell is whether the helper opens here.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <icmpapi.h>

#include "platform/windows/WindowsBackends.h"

namespace velmaro::platform::windows_backend {
namespace {

constexpr DWORD kMaxPath = 32768;  // the longest path the system allows

QString programFile() {
  std::vector<wchar_t> path(kMaxPath);
  const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), kMaxPath);
  if (length == 0 || length >= kMaxPath) return {};
  return QString::fromWCharArray(path.data(), int(length));
}

}  // namespace

IcmpPermission icmpPermission() {
  IcmpPermission facts;
  facts.executable = programFile();
  const HANDLE helper = ::IcmpCreateFile();
  if (helper != INVALID_HANDLE_VALUE) {
    facts.wouldUse = EchoSocketKind::Service;
    ::IcmpCloseHandle(helper);
  }
  return facts;
}

}  // namespace velmaro::platform::windows_backend
