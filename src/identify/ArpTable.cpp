#include "identify/ArpTable.h"

// Placeholder until the neighbour table is captured.
namespace velmaro {
ArpTable::ArpTable(ErrorReporter& log, const AppPaths& paths, platform::Platform& platform,
                   const Clock& clock)
    : m_log(log), m_paths(paths), m_platform(platform), m_clock(clock) {}
void ArpTable::ARP_LoadTable() {}
QString ArpTable::ARP_GetMACByIP(const QString&) const { return {}; }
}  // namespace velmaro
