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

// The time-out box as a sweep leaves it before pinging: its leading number, at least
// kMinPingTimeoutMs, in shortest decimal form. Throws Overflow (error 6) when the number
// is too large to be written back (it would read back as 0).
QString PingTimeoutText(QStringView box);

// The engine's limits for `count` addresses from the time-out box: each request waits
// twice the time-out, the whole list half the time-out per address but never less than
// one request. Throws Overflow (error 6) when either does not fit 32 bits.
struct PingLimits {
  qint32 hostMs = 0;
  qint32 allMs = 0;
};
PingLimits PingLimitsFor(QStringView box, qsizetype count);

// "p0.p1.p2.last" from the three prefix boxes and the fourth octet.
QString ScanAddressText(QStringView box0, QStringView box1, QStringView box2, quint8 last);

}  // namespace velmaro
