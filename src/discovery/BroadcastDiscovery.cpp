#include "discovery/BroadcastDiscovery.h"

// Placeholder until discovery is built.
namespace velmaro {
BroadcastDiscovery::BroadcastDiscovery(FormContext& form) : m_form(form) {}
BroadcastDiscovery::~BroadcastDiscovery() = default;
void BroadcastDiscovery::cmdScanBroadcast_Click() {}
void BroadcastDiscovery::sktBroadcast_DataArrival() {}
}  // namespace velmaro
