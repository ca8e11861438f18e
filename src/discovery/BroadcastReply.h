// Reading a unit's answer to the broadcast query: the datagram's bytes and its sender
// turned into the cells of one result row, or nothing when the answer is not plausible.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

#include "support/Ipv4Text.h"

namespace velmaro {

struct BroadcastReply {
  QString address;           // the sender, dotted: the row's text and tag
  QString mac;               // line 2 as received, without NULs
  QString name;              // line 1 without NULs and outer spaces, " ", line 3 without NULs
  QString httpPort;          // line 4 read as hexadecimal, in decimal; "N/A" without a port
  bool hasPortLine = false;  // the reply has a fourth line
  friend bool operator==(const BroadcastReply&, const BroadcastReply&) = default;
};

// Replies shorter than this many characters are dropped.
inline constexpr int kMinReplyLength = 32;

// The row an answer gives: at least 32 single-byte characters and at least three lines
// separated by CR LF (empty lines count). A datagram over 65535 bytes cannot be real and
// gives nothing. A fourth line whose leading hexadecimal value exceeds 65535 is no port.
std::optional<BroadcastReply> ParseBroadcastReply(QByteArrayView datagram, quint32 sender);

// The unit's name as line 1 carries it: NUL filler removed, then spaces at both ends.
QString CleanUnitName(QStringView line);

// The "httpport" cell for a fourth line: its leading hexadecimal digits in decimal, 0 when
// it has none, "N/A" when the value is above 65535.
QString PortCellFromHex(QStringView line);

}  // namespace velmaro
