#include "platform/linux/NeighbourMessage.h"

#include <arpa/inet.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstring>

namespace velmaro::platform::linux_backend {
namespace {

template <class T>
T readAt(QByteArrayView bytes, qsizetype at) {
  T value{};
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

// The states of an entry that names a host. NOARP entries are the system's own
// stand-ins (the broadcast address, multicast groups), never a host.
constexpr unsigned kAddressKnown =
    NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE | NUD_PERMANENT;

std::optional<NeighbourUpdate> readNeighbour(QByteArrayView message, quint16 type) {
  const qsizetype attributesAt = NLMSG_LENGTH(sizeof(ndmsg));
  if (message.size() < attributesAt) return std::nullopt;
  const auto entry = readAt<ndmsg>(message, NLMSG_HDRLEN);
  if (entry.ndm_family != AF_INET) return std::nullopt;
  NeighbourUpdate update;
  bool hasAddress = false;
  for (qsizetype at = attributesAt; at + qsizetype(sizeof(rtattr)) <= message.size();) {
    const auto attribute = readAt<rtattr>(message, at);
    if (attribute.rta_len < sizeof(rtattr) || at + attribute.rta_len > message.size())
      return std::nullopt;
    const qsizetype payload = at + RTA_LENGTH(0);
    const qsizetype payloadSize = attribute.rta_len - RTA_LENGTH(0);
    if (attribute.rta_type == NDA_DST && payloadSize == 4) {
      update.address = ntohl(readAt<quint32>(message, payload));
      hasAddress = true;
    } else if (attribute.rta_type == NDA_LLADDR && payloadSize == 6) {
      update.mac = readAt<std::array<quint8, 6>>(message, payload);
    }
    at += RTA_ALIGN(attribute.rta_len);
  }
  if (!hasAddress) return std::nullopt;
  if (type == RTM_DELNEIGH) {
    update.state = NeighbourState::Removed;
  } else if (entry.ndm_state & NUD_FAILED) {
    update.state = NeighbourState::Failed;
  } else if ((entry.ndm_state & kAddressKnown) && !(entry.ndm_state & NUD_NOARP) && update.mac) {
    update.state = NeighbourState::Present;
  } else {
    return std::nullopt;  // still being resolved: nothing known yet
  }
  return update;
}

}  // namespace

QByteArray neighbourDumpRequest(quint32 sequence) {
  const int total = NLMSG_LENGTH(sizeof(ndmsg));
  QByteArray bytes(total, '\0');
  nlmsghdr header{};
  header.nlmsg_len = quint32(total);
  header.nlmsg_type = RTM_GETNEIGH;
  header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  header.nlmsg_seq = sequence;
  ndmsg entry{};
  entry.ndm_family = AF_INET;
  std::memcpy(bytes.data(), &header, sizeof header);
  std::memcpy(bytes.data() + NLMSG_HDRLEN, &entry, sizeof entry);
  return bytes;
}

std::vector<NeighbourUpdate> parseNeighbourMessages(QByteArrayView datagram) {
  std::vector<NeighbourUpdate> updates;
  for (qsizetype at = 0; at + qsizetype(sizeof(nlmsghdr)) <= datagram.size();) {
    const auto header = readAt<nlmsghdr>(datagram, at);
    if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > quint64(datagram.size() - at))
      break;
    const QByteArrayView message = datagram.sliced(at, qsizetype(header.nlmsg_len));
    if (header.nlmsg_type == RTM_NEWNEIGH || header.nlmsg_type == RTM_DELNEIGH) {
      if (auto update = readNeighbour(message, header.nlmsg_type)) updates.push_back(*update);
    }
    at += NLMSG_ALIGN(qsizetype(header.nlmsg_len));
  }
  return updates;
}

}  // namespace velmaro::platform::linux_backend
