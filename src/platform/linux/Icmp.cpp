#include "platform/linux/LinuxBackends.h"
// Placeholder until the ICMP backend is written.
namespace velmaro::platform::linux_backend {
EchoOpenResult openEchoSocket() { return {}; }
}  // namespace velmaro::platform::linux_backend
