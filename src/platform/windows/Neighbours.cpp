// The neighbour table on Windows: IP Helper's copy of it for the fast reads, and "arp -a"
// for the listing command, whose lines are already the table reader's layout.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <map>
#include <vector>

#include "platform/windows/Adapters.h"
#include "platform/windows/WindowsBackends.h"
#include "support/Tunables.h"

namespace velmaro::platform::windows_backend {
namespace {

constexpr int kAttempts = 4;  // the table may grow between asking its size and reading it

// The rows as the system holds them now; nothing when they cannot be read.
std::optional<std::vector<MIB_IPNETROW>> readRows() {
  ULONG size = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::vector<ULONGLONG> buffer(size / sizeof(ULONGLONG) + 1);
    auto* table = reinterpret_cast<MIB_IPNETTABLE*>(buffer.data());
    ULONG room = ULONG(buffer.size() * sizeof(ULONGLONG));
    const ULONG result = ::GetIpNetTable(table, &room, TRUE);
    if (result == ERROR_INSUFFICIENT_BUFFER) {
      size = room;
      continue;
    }
    if (result == ERROR_NO_DATA) return std::vector<MIB_IPNETROW>{};
    if (result != NO_ERROR) return std::nullopt;
    if (qint64(table->dwNumEntries) * qint64(sizeof(MIB_IPNETROW)) > tunables::kMaxArpListingBytes)
      return std::nullopt;
    return std::vector<MIB_IPNETROW>(table->table, table->table + table->dwNumEntries);
  }
  return std::nullopt;
}

QByteArrayView macOf(const MIB_IPNETROW& row) {
  return QByteArrayView(reinterpret_cast<const char*>(row.bPhysAddr),
                        qMin<qsizetype>(row.dwPhysAddrLen, MAXLEN_PHYSADDR));
}

}  // namespace

// No program: `arp -a` prints the same IP Helper table, but in the language of the
// system (its header and type words are translated), through a console window that a
// window program would flash, and Wine's copy prints nothing at all. The listing comes
// from neighbourListing() instead; convertArpListing still reads an `arp -a` listing.
CommandLine arpCommand() { return {}; }

std::optional<QByteArray> neighbourListing() {
  const auto rows = readRows();
  if (!rows) return std::nullopt;
  QByteArray listing;
  for (const MIB_IPNETROW& row : *rows)
    listing += listingLine(ntohl(row.dwAddr), macOf(row), int(row.dwType));
  return listing;
}

std::optional<std::vector<Neighbour>> neighbours() {
  const auto rows = readRows();
  if (!rows) return std::nullopt;
  std::map<DWORD, QString> names;  // a few cards, many rows each
  std::vector<Neighbour> entries;
  for (const MIB_IPNETROW& row : *rows) {
    auto name = names.find(row.dwIndex);
    if (name == names.end()) name = names.emplace(row.dwIndex, cardNameOf(row.dwIndex)).first;
    entries.push_back(
        {ntohl(row.dwAddr), name->second, rowIsComplete(macOf(row), int(row.dwType))});
  }
  return entries;
}

// Windows tells of no single neighbour change (its notifications cover routes and
// addresses): the caller reads the table each time round instead.
std::unique_ptr<NeighbourWatch> watchNeighbours() { return nullptr; }

}  // namespace velmaro::platform::windows_backend
