#include "platform/linux/LinuxBackends.h"
// Placeholder until the interface backend is written.
namespace velmaro::platform::linux_backend {
std::optional<std::vector<quint32>> ipv4Addresses() { return std::nullopt; }
std::optional<std::vector<Adapter>> adapters() { return std::nullopt; }
}  // namespace velmaro::platform::linux_backend
