// The system's adapter list read once into plain values, for the cards, the adapters, the
// address table and the sockets tied to one card.
#pragma once

#include <optional>
#include <vector>

#include "platform/windows/AdapterRecords.h"

namespace velmaro::platform::windows_backend {

// Every adapter with its IPv4 addresses; nothing when the list cannot be read.
std::optional<std::vector<AdapterRecord>> readAdapters();

// The name the user sees for the card with this index; empty when it has gone.
QString cardNameOf(quint32 index);

}  // namespace velmaro::platform::windows_backend
