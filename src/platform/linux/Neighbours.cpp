#include "platform/linux/LinuxBackends.h"
// Placeholder until the neighbour backend is written.
namespace velmaro::platform::linux_backend {
CommandLine arpCommand() { return {}; }
QByteArray convertArpListing(const QByteArray& listing) { return listing; }
}  // namespace velmaro::platform::linux_backend
