// Giving up the privileges a program file or its caller lent the process, before the
// toolkit reads its environment or loads a plugin: whoever starts the program chooses those,
// so no plugin may run with more than the user's own rights.
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Platform.h"
#include "platform/linux/IcmpSocket.h"
#include "platform/linux/SystemError.h"

namespace velmaro::platform {
namespace {

struct CapabilitySets {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
};

QString failure(const char* what, int number) {
  return QStringLiteral("cannot %1: %2")
      .arg(QString::fromLatin1(what), linux_backend::systemErrorText(number));
}

bool allEmpty(const CapabilitySets& sets) {
  for (const __user_cap_data_struct& set : sets.data) {
    if (set.effective != 0 || set.permitted != 0 || set.inheritable != 0) return false;
  }
  return true;
}

}  // namespace

QString dropPrivileges() {
  const uid_t user = ::getuid();
  const gid_t group = ::getgid();
  // Root running the program chose its environment itself, and uid 0 keeps every system
  // file whatever its capabilities; dropping them would only cut it off from what it means
  // to reach (a desktop's authority file under sudo).
  if (user == 0) return {};

  linux_backend::keepRawEchoSocketIfNeeded();

  // An install made set-user-ID or set-group-ID lends an identity too: give it back.
  if (::getegid() != group && ::setresgid(group, group, group) != 0)
    return failure("give back the set-group-ID identity", errno);
  if (::geteuid() != user && ::setresuid(user, user, user) != 0)
    return failure("give back the set-user-ID identity", errno);

  // Ambient capabilities would pass to every program started later (the neighbour listing,
  // the browser); a kernel without them has none to clear.
  if (::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) != 0 && errno != EINVAL)
    return failure("clear the ambient capabilities", errno);
  CapabilitySets none;
  if (::syscall(SYS_capset, &none.header, none.data) != 0)
    return failure("give up the capabilities", errno);
  CapabilitySets now;
  if (::syscall(SYS_capget, &now.header, now.data) != 0)
    return failure("read the capabilities", errno);
  if (!allEmpty(now)) return failure("give up the capabilities", EPERM);
  return {};
}

}  // namespace velmaro::platform
