// The command line's address lists: CIDR blocks, single addresses and ranges read by a pure
// function with size limits, and walked one address at a time, so a sweep never holds a
// list of every address it sends to.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <variant>
#include <vector>

namespace velmaro {

// The most a list may hold: a /16 without its network and broadcast addresses.
inline constexpr quint32 kMaxTargets = 65534;
// Longer texts or more items are no list someone typed.
inline constexpr qsizetype kMaxTargetsText = 4096;
inline constexpr int kMaxTargetItems = 256;

// Host-order addresses from `first` to `last`, both included.
struct TargetRange {
  quint32 first = 0;
  quint32 last = 0;
  friend bool operator==(const TargetRange&, const TargetRange&) = default;
};

// Ascending, without overlaps: each address once, however often the text names it.
struct TargetList {
  std::vector<TargetRange> ranges;
  quint32 count() const;
  friend bool operator==(const TargetList&, const TargetList&) = default;
};

// Items separated by ",": "A.B.C.D", "A.B.C.D/N" (N from 16 to 32; up to /30 without the
// block's network and broadcast addresses, host bits ignored), "A.B.C.D-E" (the last octet
// up to E) and "A.B.C.D-W.X.Y.Z". Addresses are strict dotted decimals; multicast and
// reserved addresses (224.0.0.0 and above) and 0.0.0.0/8 are refused, since no host answers
// there for itself. The list, or the reason it is refused in one line.
std::variant<TargetList, QString> ParseTargets(QStringView text);

// The addresses of a list in order, one per call, without ever expanding the list.
class TargetCursor {
 public:
  explicit TargetCursor(TargetList list) : m_list(std::move(list)) {}
  std::optional<quint32> next();

 private:
  TargetList m_list;
  size_t m_range = 0;
  quint64 m_offset = 0;
};

}  // namespace velmaro
