#include "netinfo/LocalIPs.h"

// Placeholder until the address table is read.
namespace velmaro {
QStringList GetLocalIPs(platform::Platform&) { return {}; }
QStringList OrderLocalAddresses(std::vector<quint32>) { return {}; }
std::optional<NetworkPrefix> ChooseNetworkPrefix(const QStringList&) { return std::nullopt; }
}  // namespace velmaro
