#include "identify/ArpTable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include "platform/Platform.h"
#include "support/ByteLines.h"
#include "support/ErrorLog.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"
#include "support/Wait.h"

namespace velmaro {
namespace {

constexpr QChar kBlank = u' ';

// The text with every run of blanks made one blank and no blank at either end. Tabs are
// not blanks: a tab-separated line stays one field.
QString collapseBlanks(QStringView line) {
  QString out;
  out.reserve(line.size());
  for (const QChar c : line) {
    if (c == kBlank && (out.isEmpty() || out.back() == kBlank)) continue;
    out.append(c);
  }
  if (out.endsWith(kBlank)) out.chop(1);
  return out;
}

}  // namespace

std::optional<ArpEntry> ParseArpLine(QStringView line) {
  if (line.size() > tunables::kMaxArpLine) return std::nullopt;
  const QString collapsed = collapseBlanks(line);
  const QStringList fields = collapsed.split(kBlank);
  if (fields.size() != 3) return std::nullopt;
  if (fields[2].compare(u"invalid", Qt::CaseInsensitive) == 0) return std::nullopt;
  ArpEntry entry{fields[0], fields[1]};
  if (entry.ip.count(u'.') != 3 || entry.mac.count(u'-') != 5) return std::nullopt;
  return entry;
}

ArpTable::ArpTable(ErrorReporter& log, platform::Platform& platform, const Clock& clock)
    : m_log(log), m_platform(platform), m_clock(clock) {}

void ArpTable::ARP_LoadTable() {
  StepTrap trap(m_log, QStringLiteral("ARP_LoadTable"), Container::Module);
  // The listing arrives through a pipe, not through a file in the application folder
  // (line 20 named one): a file there could be a planted link, or the capture of another
  // run loading at the same time. Each load owns its listing, and no file outlives it.
  // The fill counter (line 30) is the table's own size: the table grows with the listing,
  // so a busy network's neighbours are never cut off after a fixed count.
  trap.step(40, [&] { m_entries.clear(); });
  std::optional<QByteArray> listing;
  trap.step(50, [&] {
    const CommandLine command = m_platform.arpCommand();
    if (command.program.isEmpty()) {
      listing = m_platform.neighbourListing();
      return;
    }
    listing = ShellAndCapture(command, tunables::kArpCaptureSeconds, tunables::kMaxArpListingBytes,
                              m_clock);
    if (listing) listing = m_platform.convertArpListing(*listing);
  });
  trap.step(60, [&] { TimedWait(tunables::kArpReadPauseMs, m_clock); });
  readListing(trap, listing);
}

void ArpTable::loadNow() {
  StepTrap trap(m_log, QStringLiteral("ARP_LoadTable"), Container::Module);
  trap.step(40, [&] { m_entries.clear(); });
  std::optional<QByteArray> listing;
  trap.step(50, [&] { listing = m_platform.neighbourListing(); });
  readListing(trap, listing);
}

void ArpTable::readListing(StepTrap& trap, const std::optional<QByteArray>& listing) {
  if (trap.test(70, [&] { return !listing; })) return;
  ByteLines lines(*listing);
  do {
    QString line;
    // The first line is read without looking for the end first: an empty listing is one
    // reported read past its end.
    trap.step(110, [&] {
      if (lines.atEnd()) throw err::inputPastEnd();
      line = QString::fromLatin1(lines.next());
    });
    if (line.isEmpty()) continue;
    const std::optional<ArpEntry> entry = ParseArpLine(line);  // lines 130 to 210
    if (!entry) continue;
    trap.step(230, [&] { m_entries.push_back(*entry); });
  } while (!trap.test(310, [&] { return lines.atEnd(); }));
}

QString ArpTable::ARP_GetMACByIP(const QString& ip) const {
  StepTrap trap(m_log, QStringLiteral("ARP_GetMACByIP"), Container::Module);
  QString result;
  if (trap.test(30, [&] { return m_entries.empty(); })) return result;
  trap.step(40, [&] {
    for (const ArpEntry& entry : m_entries) {
      if (entry.ip.compare(ip, Qt::CaseInsensitive) == 0) {
        result = entry.mac.toUpper();
        break;
      }
    }
  });
  return result;
}

}  // namespace velmaro
