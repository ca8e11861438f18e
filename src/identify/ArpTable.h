// The in-memory copy of the system's neighbour (ARP) table: captured from the system's
// listing command, parsed, and looked up by address.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace velmaro {

class Clock;
class ErrorReporter;
class StepTrap;
namespace platform {
class Platform;
}

// One usable entry of a listing: the address and the physical address as listed.
struct ArpEntry {
  QString ip;
  QString mac;
  friend bool operator==(const ArpEntry&, const ArpEntry&) = default;
};

// One line of a listing (no line end) in the layout "address  physical-address  type",
// fields separated by runs of blanks (tabs are not blanks). An entry when it has exactly
// three fields, the type is not "invalid" (any case), the address holds exactly 3 "." and
// the physical address exactly 5 "-"; nothing else is checked. Longer lines than any
// listing writes are not entries.
std::optional<ArpEntry> ParseArpLine(QStringView line);

class ArpTable {
 public:
  ArpTable(ErrorReporter& log, platform::Platform& platform, const Clock& clock);

  // Replaces the table with the system's current neighbour table: runs the platform's
  // listing command (5 s at most), reads its output through a pipe, converts the listing
  // to the parsed layout and reads every entry; no file is written. Failures are reported
  // to the log as procedure "ARP_LoadTable" of the module; the load always runs to its end.
  void ARP_LoadTable();
  // The same, read from the kernel's table at once: no program started and no pause, for
  // a sweep that looks each host up the moment its echo answers. Reported as the load is.
  void loadNow();

  // The physical address of the first entry whose address equals `ip` ignoring case, in
  // upper case; empty when there is none or nothing has been loaded. Never loads.
  QString ARP_GetMACByIP(const QString& ip) const;

  const std::vector<ArpEntry>& entries() const { return m_entries; }

 private:
  // Lines 70 to 310 of the load: the listing's entries read into the table.
  void readListing(StepTrap& trap, const std::optional<QByteArray>& listing);

  ErrorReporter& m_log;
  platform::Platform& m_platform;
  const Clock& m_clock;
  std::vector<ArpEntry> m_entries;  // listing order, duplicates kept: the first one wins
};

}  // namespace velmaro
