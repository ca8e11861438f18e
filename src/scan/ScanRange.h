// Reading the sweep's range box and building the address texts of a sweep, as pure
// functions over the box texts, so every text a user can type is tested alone.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <utility>

namespace velmaro {

// The one message for every range text the sweep cannot use.
QString ScanRangeMessage();

// The two bound texts of a range text split at every "-", or nothing when the text does
// not split into exactly two parts. A text longer than kMaxRangeText is refused as well:
// the box holds seven characters, so anything that long was pasted past its limit.
std::optional<std::pair<QString, QString>> SplitScanRange(QStringView text);
inline constexpr qsizetype kMaxRangeText = 64;

// The fourth octet a bound text stands for: its leading number, rounded half to even.
// Throws Overflow (error 6) outside 0 to 255.
quint8 ScanBound(QStringView text);

// One prefix box as it appears in an address: its leading number in shortest decimal
// form ("007" -> "7", "" -> "0", "1e2" -> "100"). No range check: "256" stays "256".
QString PrefixOctetText(QStringView box);

// "p0.p1.p2.last" from the three prefix boxes and the fourth octet.
QString ScanAddressText(QStringView box0, QStringView box1, QStringView box2, quint8 last);

}  // namespace velmaro
