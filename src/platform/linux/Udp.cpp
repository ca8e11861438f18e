#include "platform/linux/LinuxBackends.h"
// Placeholder until the UDP backend is written.
namespace velmaro::platform::linux_backend {
std::unique_ptr<DatagramSocket> createDatagramSocket() { return nullptr; }
}  // namespace velmaro::platform::linux_backend
