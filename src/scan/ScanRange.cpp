#include "scan/ScanRange.h"

#include "support/Numbers.h"

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

QString ScanAddressText(QStringView box0, QStringView box1, QStringView box2, quint8 last) {
  return PrefixOctetText(box0) + u'.' + PrefixOctetText(box1) + u'.' + PrefixOctetText(box2) +
         u'.' + QString::number(last);
}

}  // namespace velmaro
