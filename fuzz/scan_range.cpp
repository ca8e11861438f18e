// The sweep's range box and the three prefix boxes, as a user can type or paste them, read
// as the sweep reads them. Input: the range text, then the three prefix boxes, each ended
// by a NUL, as UTF-8.
#include <QLocale>
#include <cmath>

#include "FuzzCheck.h"
#include "scan/ScanRange.h"
#include "support/Numbers.h"
#include "support/VbError.h"

namespace {

// A bound read as the sweep reads it; nothing when the step fails. Only Overflow may fail.
std::optional<int> bound(const QString& text) {
  try {
    return velmaro::ScanBound(text);
  } catch (const velmaro::VbError& e) {
    FUZZ_CHECK(e.number == 6);
    return std::nullopt;
  }
}

// LeadingNumber against an independent reading of plain decimal texts.
void checkLeadingNumber(const QString& text) {
  const double value = velmaro::LeadingNumber(text);
  FUZZ_CHECK(!std::isnan(value));
  bool plain = !text.isEmpty();
  for (const QChar c : text) {
    plain = plain && ((c >= u'0' && c <= u'9') || c == u'.' || c == u'e' || c == u'E' ||
                      c == u'+' || c == u'-');
  }
  if (!plain || !velmaro::IsPlainNumber(text)) return;
  bool ok = false;
  const double reference = QLocale::c().toDouble(text, &ok);
  if (ok) FUZZ_CHECK(value == reference);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const QString range = QString::fromUtf8(input.field());
  const QString boxes[3] = {QString::fromUtf8(input.field()), QString::fromUtf8(input.field()),
                            QString::fromUtf8(input.field())};
  checkLeadingNumber(range);
  for (const QString& box : boxes) checkLeadingNumber(box);

  const auto parts = SplitScanRange(range);
  if (!parts) return 0;
  FUZZ_CHECK(range.size() <= kMaxRangeText);
  const auto first = bound(parts->first);
  const auto last = bound(parts->second);
  if (!first || !last || *last < *first) return 0;
  // The addresses the sweep pings: at most 256, each inside the prefix the boxes give.
  const int count = *last - *first + 1;
  FUZZ_CHECK(count >= 1 && count <= 256);
  const QString prefix = PrefixOctetText(boxes[0]) + u'.' + PrefixOctetText(boxes[1]) + u'.' +
                         PrefixOctetText(boxes[2]) + u'.';
  for (int octet = *first; octet <= *last; ++octet) {
    const QString address = ScanAddressText(boxes[0], boxes[1], boxes[2], quint8(octet));
    FUZZ_CHECK(address == prefix + QString::number(octet));
  }
  return 0;
}
