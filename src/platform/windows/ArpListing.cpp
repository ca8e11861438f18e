#include "platform/windows/ArpListing.h"

#include <QList>
#include <optional>

#include "platform/NeighbourListing.h"
#include "support/ByteLines.h"
#include "support/Ipv4Text.h"
#include "support/Numbers.h"
#include "support/Tunables.h"

namespace velmaro::platform::windows_backend {
namespace {

constexpr QByteArrayView kNoAddress = "00-00-00-00-00-00";
constexpr int kEthernetBytes = 6;

// "aa-bb-cc-dd-ee-ff" (either case) as its lower-case text; nothing for any other shape.
std::optional<QByteArray> ethernetText(QByteArrayView text) {
  if (text.size() != 3 * kEthernetBytes - 1) return std::nullopt;
  QByteArray out = text.toByteArray().toLower();
  for (qsizetype i = 0; i < out.size(); ++i) {
    const bool separator = i % 3 == 2;
    if (separator ? out[i] != '-' : DigitValue(QLatin1Char(out[i]), 16) < 0) return std::nullopt;
  }
  return out;
}

QByteArray dashed(QByteArrayView mac) {
  QByteArray out;
  for (qsizetype i = 0; i < mac.size(); ++i) {
    if (i > 0) out.append('-');
    out.append(QByteArray::number(quint8(mac[i]), 16).rightJustified(2, '0'));
  }
  return out;
}

bool startsWithIgnoringCase(QByteArrayView word, QByteArrayView prefix) {
  return word.size() >= prefix.size() &&
         word.first(prefix.size()).toByteArray().toLower() == prefix.toByteArray();
}

}  // namespace

QByteArray convertArpListing(const QByteArray& listing) {
  QByteArray out;
  ForEachListingLine(listing, [&](const QList<QByteArrayView>& words) {
    // "Interface: A.B.C.D --- 0xb" and the header have other first words.
    if (words.size() != 3 || !ParseDottedAddress(QString::fromLatin1(words[0]))) return;
    const std::optional<QByteArray> physical = ethernetText(words[1]);
    if (!physical) return;
    const bool usable =
        *physical != kNoAddress && words[2].compare("invalid", Qt::CaseInsensitive) != 0;
    const ListedType type = !usable                                    ? ListedType::Invalid
                            : startsWithIgnoringCase(words[2], "stat") ? ListedType::Static
                                                                       : ListedType::Dynamic;
    AppendListingLine(out, words[0], *physical, type);
  });
  return out;
}

bool rowIsComplete(QByteArrayView mac, int rowType) {
  return mac.size() == kEthernetBytes && mac != QByteArrayView("\0\0\0\0\0\0", kEthernetBytes) &&
         rowType != int(NetRowType::Invalid);
}

QByteArray listingLine(quint32 address, QByteArrayView mac, int rowType) {
  QByteArray out;
  const bool usable = rowIsComplete(mac, rowType);
  AppendListingLine(out, DottedAddress(address).toLatin1(), usable ? dashed(mac) : QByteArray(),
                    !usable                              ? ListedType::Invalid
                    : rowType == int(NetRowType::Static) ? ListedType::Static
                                                         : ListedType::Dynamic);
  return out;
}

}  // namespace velmaro::platform::windows_backend
