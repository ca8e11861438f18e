// ICMP echo messages as bytes: building a request and reading a reply, with no system
// calls, so every malformed packet can be tried in a test.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>
#include <optional>

namespace velmaro::platform::icmp {

inline constexpr int kHeaderSize = 8;  // type, code, checksum, identifier, sequence
inline constexpr int kMinIpHeaderSize = 20;
inline constexpr quint8 kEchoReply = 0;
inline constexpr quint8 kEchoRequest = 8;

// The Internet checksum (ones' complement of the ones' complement sum of 16-bit words).
quint16 checksum(QByteArrayView bytes);

// An echo request with its checksum filled in.
QByteArray echoRequest(quint16 identifier, quint16 sequence, QByteArrayView data);

struct Echo {
  quint16 identifier = 0;
  quint16 sequence = 0;
  QByteArray data;
};

// The echo reply in a received packet, or nothing for anything else: other ICMP types
// (our own requests seen on loopback among them), packets too short for their headers,
// a checksum that does not add up (checked on raw packets). withIpHeader: raw sockets hand over the
// IPv4 header too; unprivileged datagram sockets give the ICMP message alone.
std::optional<Echo> parseEchoReply(QByteArrayView packet, bool withIpHeader);

}  // namespace velmaro::platform::icmp
