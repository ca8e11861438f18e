// Windows' neighbour listing ("arp -a") and its IP Helper table rewritten into the
// "address  physical-address  type" lines the neighbour table reads. Pure over bytes and
// plain values, with no system header, so every system builds and tests it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <array>

namespace velmaro::platform::windows_backend {

// "arp -a" as Windows prints it: an "Interface:" line and a header per card, then
// "  A.B.C.D   aa-bb-cc-dd-ee-ff   dynamic" per entry. Only entry lines come out, aligned and
// CR LF ended; an entry without a usable physical address is written "invalid". The type
// word may be translated: "invalid" and an all-zero address stay unusable, a word starting
// "stat" is static, any other word dynamic. Bounded in bytes and line length.
QByteArray convertArpListing(const QByteArray& listing);

// The kinds of an IP Helper neighbour row (MIB_IPNET_TYPE).
enum class NetRowType { Other = 1, Invalid = 2, Dynamic = 3, Static = 4 };

// One neighbour row written in that layout; `mac` counts only when it holds 6 bytes.
QByteArray listingLine(quint32 address, QByteArrayView mac, int rowType);

// Whether a row names a host's link-layer address: six bytes, not all zero, and the row not
// marked invalid (an address still being resolved, or one that did not answer).
bool rowIsComplete(QByteArrayView mac, int rowType);

}  // namespace velmaro::platform::windows_backend
