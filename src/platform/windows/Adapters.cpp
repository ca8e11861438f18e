// The host's cards from IP Helper's adapter list, which names each card as the user sees
// it (its friendly name) and gives each address with its on-link prefix length.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include <vector>

#include "platform/windows/Adapters.h"
#include "platform/windows/WindowsBackends.h"

namespace velmaro::platform::windows_backend {
namespace {

// The list is a few KB per card; the system says how much more it needs.
constexpr ULONG kFirstBufferBytes = 16 * 1024;
constexpr int kAttempts = 4;  // a card that appears between two calls makes it grow

AdapterRecord recordOf(const IP_ADAPTER_ADDRESSES& entry) {
  AdapterRecord record;
  record.name = QString::fromWCharArray(entry.FriendlyName);
  record.description = QString::fromWCharArray(entry.Description);
  record.index = entry.IfIndex;
  record.ifType = entry.IfType;
  record.operStatus = int(entry.OperStatus);
  const ULONG length = qMin<ULONG>(entry.PhysicalAddressLength, MAX_ADAPTER_ADDRESS_LENGTH);
  record.hardwareAddress =
      QByteArray(reinterpret_cast<const char*>(entry.PhysicalAddress), qsizetype(length));
  for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = entry.FirstUnicastAddress; unicast != nullptr;
       unicast = unicast->Next) {
    const SOCKADDR* address = unicast->Address.lpSockaddr;
    if (address == nullptr || address->sa_family != AF_INET) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    record.ipv4.push_back(
        {ntohl(in->sin_addr.s_addr), qBound(0, int(unicast->OnLinkPrefixLength), 32)});
  }
  return record;
}

}  // namespace

std::optional<std::vector<AdapterRecord>> readAdapters() {
  constexpr ULONG kFlags =
      GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = kFirstBufferBytes;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    // ULONGLONG keeps the list's structures aligned.
    std::vector<ULONGLONG> buffer(size / sizeof(ULONGLONG) + 1);
    auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    const ULONG result = ::GetAdaptersAddresses(AF_UNSPEC, kFlags, nullptr, list, &size);
    if (result == ERROR_BUFFER_OVERFLOW) continue;
    if (result == ERROR_NO_DATA) return std::vector<AdapterRecord>{};
    if (result != ERROR_SUCCESS) return std::nullopt;
    std::vector<AdapterRecord> records;
    for (const IP_ADAPTER_ADDRESSES* entry = list; entry != nullptr; entry = entry->Next)
      records.push_back(recordOf(*entry));
    return records;
  }
  return std::nullopt;
}

QString cardNameOf(quint32 index) {
  MIB_IF_ROW2 row{};
  row.InterfaceIndex = index;
  if (index == 0 || ::GetIfEntry2(&row) != NO_ERROR) return {};
  return QString::fromWCharArray(row.Alias);
}

std::optional<std::vector<NetworkInterface>> networkInterfaces() {
  const auto records = readAdapters();
  if (!records) return std::nullopt;
  std::vector<NetworkInterface> cards;
  for (const AdapterRecord& record : *records) cards.push_back(cardOf(record));
  return cards;
}

std::optional<std::vector<quint32>> ipv4Addresses() {
  const auto records = readAdapters();
  if (!records) return std::nullopt;
  return ipv4AddressesOf(*records);
}

std::optional<std::vector<Adapter>> adapters() {
  const auto records = readAdapters();
  if (!records) return std::nullopt;
  return adaptersOf(*records);
}

}  // namespace velmaro::platform::windows_backend
