// The kernel's neighbour notifications read from bytes: what each kind of message says,
// and messages cut short or of another family left out.
#include <gtest/gtest.h>
#include <linux/neighbour.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <cstring>

#include "platform/linux/NeighbourMessage.h"

namespace velmaro::platform::linux_backend {
namespace {

QByteArray attribute(quint16 type, const QByteArray& payload) {
  QByteArray out(RTA_SPACE(payload.size()), '\0');
  const rtattr header{quint16(RTA_LENGTH(payload.size())), type};
  std::memcpy(out.data(), &header, sizeof header);
  std::memcpy(out.data() + RTA_LENGTH(0), payload.constData(), std::size_t(payload.size()));
  return out;
}

QByteArray message(quint16 type, quint8 family, quint16 state, const QByteArray& attributes) {
  ndmsg entry{};
  entry.ndm_family = family;
  entry.ndm_state = state;
  QByteArray body(reinterpret_cast<const char*>(&entry), sizeof entry);
  body += attributes;
  nlmsghdr header{};
  header.nlmsg_len = quint32(NLMSG_LENGTH(body.size()));
  header.nlmsg_type = type;
  return QByteArray(reinterpret_cast<const char*>(&header), sizeof header) + body;
}

const QByteArray kDst = attribute(NDA_DST, QByteArray("\xc6\x12\x07\x15", 4));  // 198.18.7.21
const QByteArray kMac = attribute(NDA_LLADDR, QByteArray("\x00\x0a\x2b\x01\x80\x01", 6));
constexpr quint32 kAddress = 0xC6120715;
constexpr std::array<quint8, 6> kMacBytes{0x00, 0x0a, 0x2b, 0x01, 0x80, 0x01};

TEST(NeighbourMessages, EachKindSaysWhatItShould) {
  const struct {
    const char* name;
    QByteArray datagram;
    std::vector<NeighbourUpdate> want;
  } cases[] = {
      {"stale entry",
       message(RTM_NEWNEIGH, AF_INET, NUD_STALE, kDst + kMac),
       {{kAddress, kMacBytes, NeighbourState::Present}}},
      {"failed entry",
       message(RTM_NEWNEIGH, AF_INET, NUD_FAILED, kDst),
       {{kAddress, std::nullopt, NeighbourState::Failed}}},
      {"removed entry",
       message(RTM_DELNEIGH, AF_INET, NUD_STALE, kDst + kMac),
       {{kAddress, kMacBytes, NeighbourState::Removed}}},
      {"still resolving", message(RTM_NEWNEIGH, AF_INET, NUD_INCOMPLETE, kDst), {}},
      {"reachable without an address", message(RTM_NEWNEIGH, AF_INET, NUD_REACHABLE, kDst), {}},
      {"the broadcast address's stand-in",
       message(RTM_NEWNEIGH, AF_INET, NUD_NOARP, kDst + kMac),
       {}},
      {"IPv6", message(RTM_NEWNEIGH, AF_INET6, NUD_STALE, kMac), {}},
      {"two in one datagram",
       message(RTM_NEWNEIGH, AF_INET, NUD_REACHABLE, kMac + kDst) +
           message(RTM_NEWNEIGH, AF_INET, NUD_FAILED, kDst),
       {{kAddress, kMacBytes, NeighbourState::Present},
        {kAddress, std::nullopt, NeighbourState::Failed}}},
      {"cut inside an attribute",
       message(RTM_NEWNEIGH, AF_INET, NUD_STALE, kDst + kMac).chopped(3),
       {}},
      {"a length past the end",
       [] {
         QByteArray bytes = message(RTM_NEWNEIGH, AF_INET, NUD_STALE, kDst + kMac);
         bytes[0] = char(0x7f);
         return bytes;
       }(),
       {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseNeighbourMessages(c.datagram), c.want) << c.name;
  }
}

}  // namespace
}  // namespace velmaro::platform::linux_backend
