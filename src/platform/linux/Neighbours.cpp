// The neighbour table on Linux: iproute2 lists it, and its lines are rewritten into the
// "address  physical-address  type" layout that the table's reader takes.
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <optional>

#include "platform/NeighbourListing.h"
#include "platform/linux/LinuxBackends.h"
#include "platform/linux/ProcFacts.h"
#include "support/ByteLines.h"
#include "support/Ipv4Text.h"
#include "support/Numbers.h"
#include "support/Tunables.h"

namespace velmaro::platform::linux_backend {
namespace {

// The table shows Ethernet addresses only: six bytes, five separators.
constexpr qsizetype kEthernetGroups = 6;

bool isHexDigit(char c) { return DigitValue(QLatin1Char(c), 16) >= 0; }

// "00:0a:2b:01:80:01" as "00-0a-2b-01-80-01"; nothing when it is not six colon-separated
// hex bytes. Other lengths (InfiniBand's 20 bytes, a tunnel's address) are no MAC the
// table can take, and an entry written with one would be dropped by its reader.
std::optional<QByteArray> dashedAddress(QByteArrayView lladdr) {
  QByteArray out;
  qsizetype i = 0;
  for (qsizetype group = 1; group <= kEthernetGroups; ++group) {
    const qsizetype start = i;
    while (i < lladdr.size() && isHexDigit(lladdr[i])) ++i;
    const qsizetype digits = i - start;
    if (digits < 1 || digits > 2) return std::nullopt;
    if (digits == 1) out.append('0');
    out.append(lladdr.sliced(start, digits));
    if (i == lladdr.size()) return group == kEthernetGroups ? std::optional(out) : std::nullopt;
    if (lladdr[i] != ':') return std::nullopt;
    out.append('-');
    ++i;
  }
  return std::nullopt;
}

// Words of an entry line that are followed by a value of their own.
bool takesValue(QByteArrayView word) {
  for (const QByteArrayView known :
       {"dev", "lladdr", "proto", "vrf", "master", "ref", "used", "probes"}) {
    if (word == known) return true;
  }
  return false;
}

struct Entry {
  QByteArrayView address;
  std::optional<QByteArray> physical;
  bool unusable = false;  // resolution failed or never finished
  bool fixed = false;     // a permanent or no-ARP entry
};

std::optional<Entry> parseEntry(const QList<QByteArrayView>& words) {
  if (words.isEmpty() || !ParseDottedAddress(QString::fromLatin1(words.front())))
    return std::nullopt;
  Entry entry;
  entry.address = words.front();
  for (qsizetype i = 1; i < words.size(); ++i) {
    const QByteArrayView word = words[i];
    if (takesValue(word)) {
      if (word == "lladdr" && i + 1 < words.size()) entry.physical = dashedAddress(words[i + 1]);
      ++i;
    } else if (word == "INCOMPLETE" || word == "FAILED" || word == "NONE") {
      entry.unusable = true;
    } else if (word == "PERMANENT" || word == "NOARP") {
      entry.fixed = true;
    }
  }
  return entry;
}

}  // namespace

CommandLine arpCommand() {
  return {QStringLiteral("ip"),
          {QStringLiteral("-4"), QStringLiteral("neigh"), QStringLiteral("show")}};
}

QByteArray convertArpListing(const QByteArray& listing) {
  QByteArray out;
  ForEachListingLine(listing, [&](const QList<QByteArrayView>& words) {
    const std::optional<Entry> entry = parseEntry(words);
    if (!entry) return;
    const bool usable = entry->physical && !entry->unusable;
    AppendListingLine(out, entry->address, usable ? QByteArrayView(*entry->physical) : nullptr,
                      !usable        ? ListedType::Invalid
                      : entry->fixed ? ListedType::Static
                                     : ListedType::Dynamic);
  });
  return out;
}

}  // namespace velmaro::platform::linux_backend

namespace velmaro::platform::linux_backend {
namespace {

constexpr unsigned kArpComplete = 0x2;   // ATF_COM: the link-layer address is known
constexpr unsigned kArpPermanent = 0x4;  // ATF_PERM: an entry set by hand

}  // namespace

// The words of each entry line of /proc/net/arp (address, type, flags, physical address,
// mask, device), its header and lines past the limit skipped.
template <class Take>
void forEachProcArpEntry(QByteArrayView text, Take take) {
  ByteLines lines(text.first(qMin<qsizetype>(text.size(), tunables::kMaxArpListingBytes)));
  if (!lines.atEnd()) lines.next();  // the header
  while (!lines.atEnd()) {
    const QByteArrayView line = lines.next();
    if (line.size() > tunables::kMaxArpLine) continue;
    const QList<QByteArrayView> words = ListingWords(line);
    if (words.size() >= 6) take(words);
  }
}

std::vector<Neighbour> parseProcArp(QByteArrayView text) {
  std::vector<Neighbour> entries;
  forEachProcArpEntry(text, [&](const QList<QByteArrayView>& words) {
    const auto address = ParseDottedAddress(QString::fromLatin1(words[0]));
    bool flagsOk = false;
    const uint flags = words[2].toByteArray().toUInt(&flagsOk, 0);
    if (!address || !flagsOk) return;
    entries.push_back({*address, QString::fromLocal8Bit(words[5]), (flags & kArpComplete) != 0});
  });
  return entries;
}

QByteArray convertProcArp(QByteArrayView text) {
  QByteArray out;
  forEachProcArpEntry(text, [&](const QList<QByteArrayView>& words) {
    if (!ParseDottedAddress(QString::fromLatin1(words[0]))) return;
    bool flagsOk = false;
    const uint flags = words[2].toByteArray().toUInt(&flagsOk, 0);
    const std::optional<QByteArray> physical = dashedAddress(words[3]);
    const bool usable = flagsOk && (flags & kArpComplete) != 0 && physical;
    AppendListingLine(out, words[0], usable ? QByteArrayView(*physical) : nullptr,
                      !usable                        ? ListedType::Invalid
                      : (flags & kArpPermanent) != 0 ? ListedType::Static
                                                     : ListedType::Dynamic);
  });
  return out;
}

std::optional<QByteArray> neighbourListing() {
  QFile file(QStringLiteral("/proc/net/arp"));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return convertProcArp(file.read(tunables::kMaxArpListingBytes));
}

std::optional<std::vector<Neighbour>> neighbours() {
  QFile file(QStringLiteral("/proc/net/arp"));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return parseProcArp(file.read(tunables::kMaxArpListingBytes));
}

}  // namespace velmaro::platform::linux_backend
