// The in-memory copy of the system's neighbour (ARP) table: captured into arp.txt by the
// system's command, parsed, and looked up by address.
#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace velmaro {

class AppPaths;
class Clock;
class ErrorReporter;
namespace platform {
class Platform;
}

class ArpTable {
 public:
  ArpTable(ErrorReporter& log, const AppPaths& paths, platform::Platform& platform,
           const Clock& clock);

  void ARP_LoadTable();
  QString ARP_GetMACByIP(const QString& ip) const;

 private:
  ErrorReporter& m_log;
  const AppPaths& m_paths;
  platform::Platform& m_platform;
  const Clock& m_clock;
  std::vector<std::pair<QString, QString>> m_entries;  // address, physical address
};

}  // namespace velmaro
