#include "scan/TargetList.h"

#include <QStringList>
#include <algorithm>

#include "support/Ipv4Text.h"

namespace velmaro {
namespace {

constexpr quint32 kFirstReserved = 0xE000'0000u;  // 224.0.0.0: multicast, then reserved
constexpr int kSmallestPrefix = 16;               // a /16 is the largest block taken

QString itemError(QStringView item, const char* why) {
  return QStringLiteral("\"%1\" %2").arg(item.toString(), QLatin1String(why));
}

// Plain decimal digits, 1 to `maxDigits` of them.
std::optional<int> smallNumber(QStringView text, int maxDigits) {
  if (text.isEmpty() || text.size() > maxDigits) return std::nullopt;
  int value = 0;
  for (QChar c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c.unicode() - u'0');
  }
  return value;
}

// Strict dotted decimals without leading zeros: other tools read "010" as octal 8.
std::optional<quint32> address(QStringView text) {
  for (QStringView part : text.split(u'.')) {
    if (part.size() > 1 && part.front() == u'0') return std::nullopt;
  }
  return ParseDottedAddress(text);
}

std::variant<TargetRange, QString> parseItem(QStringView item) {
  const char* notAddress = "is not an address, a block A.B.C.D/N or a range A.B.C.D-E";
  TargetRange range;
  if (const qsizetype slash = item.indexOf(u'/'); slash >= 0) {
    const auto base = address(item.first(slash));
    const auto bits = smallNumber(item.sliced(slash + 1), 2);
    if (!base || !bits || *bits > 32) return itemError(item, notAddress);
    if (*bits < kSmallestPrefix) return itemError(item, "is larger than a /16");
    const quint32 hostMask = *bits == 32 ? 0u : (0xFFFF'FFFFu >> *bits);
    range = {*base & ~hostMask, *base | hostMask};
    // The block's own network and broadcast addresses are nobody's (a /31 has neither).
    if (*bits <= 30) {
      ++range.first;
      --range.last;
    }
  } else if (const qsizetype dash = item.indexOf(u'-'); dash >= 0) {
    const auto first = address(item.first(dash));
    const QStringView end = item.sliced(dash + 1);
    if (!first) return itemError(item, notAddress);
    std::optional<quint32> last = address(end);
    if (!last && !end.contains(u'.')) {
      const auto octet = smallNumber(end, 3);
      if (octet && *octet <= 255) last = (*first & 0xFFFF'FF00u) | quint32(*octet);
    }
    if (!last) return itemError(item, notAddress);
    if (*last < *first) return itemError(item, "ends before it starts");
    range = {*first, *last};
  } else {
    const auto single = address(item);
    if (!single) return itemError(item, notAddress);
    range = {*single, *single};
  }
  if (range.last >= kFirstReserved)
    return itemError(item, "reaches multicast or reserved addresses");
  if (range.first < 0x0100'0000u) return itemError(item, "reaches 0.0.0.0/8, which is no host's");
  if (quint64(range.last) - range.first + 1 > kMaxTargets)
    return itemError(item, "holds more than 65534 addresses");
  return range;
}

}  // namespace

quint32 TargetList::count() const {
  quint64 total = 0;
  for (const TargetRange& range : ranges) total += quint64(range.last) - range.first + 1;
  return quint32(std::min<quint64>(total, 0xFFFF'FFFFu));
}

std::variant<TargetList, QString> ParseTargets(QStringView text) {
  if (text.size() > kMaxTargetsText)
    return QStringLiteral("the list is longer than %1 characters").arg(kMaxTargetsText);
  const QList<QStringView> items = text.split(u',');
  if (items.size() > kMaxTargetItems)
    return QStringLiteral("the list has more than %1 items").arg(kMaxTargetItems);
  std::vector<TargetRange> ranges;
  for (QStringView item : items) {
    item = item.trimmed();
    if (item.isEmpty()) return QStringLiteral("the list has an empty item");
    auto parsed = parseItem(item);
    if (const auto* error = std::get_if<QString>(&parsed)) return *error;
    ranges.push_back(std::get<TargetRange>(parsed));
  }
  std::sort(ranges.begin(), ranges.end(),
            [](const TargetRange& a, const TargetRange& b) { return a.first < b.first; });
  TargetList list;
  for (const TargetRange& range : ranges) {
    if (!list.ranges.empty() && quint64(range.first) <= quint64(list.ranges.back().last) + 1) {
      list.ranges.back().last = std::max(list.ranges.back().last, range.last);
    } else {
      list.ranges.push_back(range);
    }
    if (list.count() > kMaxTargets)
      return QStringLiteral("the list holds more than %1 addresses").arg(kMaxTargets);
  }
  return list;
}

std::optional<quint32> TargetCursor::next() {
  while (m_range < m_list.ranges.size()) {
    const TargetRange& range = m_list.ranges[m_range];
    if (quint64(range.first) + m_offset <= range.last) return quint32(range.first + m_offset++);
    ++m_range;
    m_offset = 0;
  }
  return std::nullopt;
}

}  // namespace velmaro
