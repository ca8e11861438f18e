#include "scan/ScanRange.h"

#include <algorithm>
#include <cmath>

#include "support/Numbers.h"
#include "support/Tunables.h"
#include "support/VbError.h"

namespace velmaro {

QString ScanRangeMessage() {
  return QStringLiteral(
      "Scan range is incorrect.  Must be of XX-YY syntax where XX is lower or equals to YY.");
}

std::optional<std::pair<QString, QString>> SplitScanRange(QStringView text) {
  if (text.isEmpty() || text.size() > kMaxRangeText) return std::nullopt;
  const qsizetype dash = text.indexOf(u'-');
  if (dash < 0 || text.indexOf(u'-', dash + 1) >= 0) return std::nullopt;
  return std::pair{text.left(dash).toString(), text.mid(dash + 1).toString()};
}

quint8 ScanBound(QStringView text) { return ToByte(LeadingNumber(text)); }

QString PrefixOctetText(QStringView box) { return NumberText(LeadingNumber(box)); }

QString PingTimeoutText(QStringView box) {
  const double timeout = LeadingNumber(box);
  // "1e999" reads as infinity, whose text would read back as 0: refuse it here so the
  // engine call reports it as too large instead of pinging with no time-out.
  if (!std::isfinite(timeout)) throw err::overflow();
  return NumberText(std::max(timeout, tunables::kMinPingTimeoutMs));
}

PingLimits PingLimitsFor(QStringView box, qsizetype count) {
  const double timeout = LeadingNumber(box);
  PingLimits limits;
  limits.hostMs = ToInt32(2 * timeout);
  // The whole list's allowance scales with its length, but for one to three addresses
  // it would end before a single request may; a host answering inside the time-out the
  // user chose would count as missed, and in update mode a live row would go.
  limits.allMs = std::max(ToInt32(static_cast<double>(count) * timeout / 2), limits.hostMs);
  return limits;
}

QString ScanAddressText(QStringView box0, QStringView box1, QStringView box2, quint8 last) {
  return PrefixOctetText(box0) + u'.' + PrefixOctetText(box1) + u'.' + PrefixOctetText(box2) +
         u'.' + QString::number(last);
}

}  // namespace velmaro
