#include "platform/linux/IcmpPacket.h"

namespace velmaro::platform::icmp {
namespace {

quint16 read16(QByteArrayView bytes, qsizetype at) {
  return quint16((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}

void write16(QByteArray& bytes, qsizetype at, quint16 value) {
  bytes[at] = char(value >> 8);
  bytes[at + 1] = char(value & 0xFF);
}

}  // namespace

quint16 checksum(QByteArrayView bytes) {
  quint32 sum = 0;
  qsizetype i = 0;
  for (; i + 1 < bytes.size(); i += 2) sum += read16(bytes, i);
  if (i < bytes.size()) sum += quint32(quint8(bytes[i])) << 8;  // odd length: pad with zero
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return quint16(~sum);
}

QByteArray echoRequest(quint16 identifier, quint16 sequence, QByteArrayView data) {
  QByteArray packet(kHeaderSize, '\0');
  packet[0] = char(kEchoRequest);
  write16(packet, 4, identifier);
  write16(packet, 6, sequence);
  packet.append(data);
  write16(packet, 2, checksum(packet));
  return packet;
}

std::optional<Echo> parseEchoReply(QByteArrayView packet, bool withIpHeader) {
  QByteArrayView message = packet;
  if (withIpHeader) {
    if (packet.size() < kMinIpHeaderSize) return std::nullopt;
    const quint8 versionAndLength = quint8(packet[0]);
    const qsizetype headerSize = qsizetype(versionAndLength & 0x0F) * 4;
    if ((versionAndLength >> 4) != 4 || headerSize < kMinIpHeaderSize || headerSize > packet.size())
      return std::nullopt;
    message = packet.sliced(headerSize);
  }
  if (message.size() < kHeaderSize) return std::nullopt;
  if (quint8(message[0]) != kEchoReply || quint8(message[1]) != 0) return std::nullopt;
  // A message whose checksum field is right sums to zero. The kernel has checked it
  // already before a datagram socket sees the message; a raw socket gets it unchecked.
  if (withIpHeader && checksum(message) != 0) return std::nullopt;
  return Echo{read16(message, 4), read16(message, 6), message.sliced(kHeaderSize).toByteArray()};
}

}  // namespace velmaro::platform::icmp
