// Asking the kernel which way a datagram would leave (what "ip route get" shows): one
// netlink request and its answer; nothing goes onto any network.
#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/linux/LinuxBackends.h"
#include "platform/linux/RouteMessage.h"
#include "support/Tunables.h"

namespace velmaro::platform::linux_backend {
namespace {

SocketFailure routeFailure(int error) {
  if (error == ENETUNREACH) return {10051, QStringLiteral("Network is unreachable")};
  if (error == EHOSTUNREACH) return {10065, QStringLiteral("No route to host")};
  return {error, QString::fromLocal8Bit(std::strerror(error))};
}

template <class T>
T readAt(QByteArrayView bytes, qsizetype at) {
  T value{};
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

QString interfaceName(int index) {
  char name[IF_NAMESIZE] = {};
  if (index <= 0 || ::if_indextoname(unsigned(index), name) == nullptr) return {};
  return QString::fromLocal8Bit(name);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : m_fd(fd) {}
  ~Descriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

}  // namespace

QByteArray routeRequest(quint32 destination, quint32 sequence) {
  const quint32 wire = htonl(destination);
  const int attributeLength = RTA_LENGTH(sizeof wire);
  const int total = NLMSG_LENGTH(sizeof(rtmsg)) + RTA_ALIGN(attributeLength);
  QByteArray bytes(total, '\0');
  nlmsghdr header{};
  header.nlmsg_len = quint32(total);
  header.nlmsg_type = RTM_GETROUTE;
  header.nlmsg_flags = NLM_F_REQUEST;
  header.nlmsg_seq = sequence;
  rtmsg route{};
  route.rtm_family = AF_INET;
  route.rtm_dst_len = 32;
  rtattr attribute{};
  attribute.rta_len = quint16(attributeLength);
  attribute.rta_type = RTA_DST;
  std::memcpy(bytes.data(), &header, sizeof header);
  std::memcpy(bytes.data() + NLMSG_HDRLEN, &route, sizeof route);
  const int at = NLMSG_LENGTH(sizeof(rtmsg));
  std::memcpy(bytes.data() + at, &attribute, sizeof attribute);
  std::memcpy(bytes.data() + at + RTA_LENGTH(0), &wire, sizeof wire);
  return bytes;
}

RouteLookup parseRouteReply(QByteArrayView reply, quint32 sequence,
                            const std::function<QString(int)>& nameOf) {
  RouteLookup result;
  const auto malformed = [&] {
    result = {};
    result.failure = SocketFailure{10022, QStringLiteral("Unreadable route answer")};
    return result;
  };
  if (reply.size() < qsizetype(sizeof(nlmsghdr))) return malformed();
  const auto header = readAt<nlmsghdr>(reply, 0);
  if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > quint32(reply.size()))
    return malformed();
  if (header.nlmsg_seq != sequence) return malformed();
  const QByteArrayView message = reply.first(qsizetype(header.nlmsg_len));
  if (header.nlmsg_type == NLMSG_ERROR) {
    if (message.size() < qsizetype(NLMSG_LENGTH(sizeof(nlmsgerr)))) return malformed();
    const auto error = readAt<nlmsgerr>(message, NLMSG_HDRLEN);
    if (error.error == 0) return malformed();  // an acknowledgement carries no route
    result.failure = routeFailure(-error.error);
    return result;
  }
  if (header.nlmsg_type != RTM_NEWROUTE) return malformed();
  const qsizetype attributesAt = NLMSG_LENGTH(sizeof(rtmsg));
  if (message.size() < attributesAt) return malformed();
  int outputIndex = 0;
  for (qsizetype at = attributesAt; at + qsizetype(sizeof(rtattr)) <= message.size();) {
    const auto attribute = readAt<rtattr>(message, at);
    if (attribute.rta_len < sizeof(rtattr) || at + attribute.rta_len > message.size())
      return malformed();
    const qsizetype payload = at + RTA_LENGTH(0);
    const qsizetype payloadSize = attribute.rta_len - RTA_LENGTH(0);
    if (attribute.rta_type == RTA_OIF && payloadSize >= qsizetype(sizeof(int))) {
      outputIndex = readAt<int>(message, payload);
    } else if (attribute.rta_type == RTA_PREFSRC && payloadSize >= 4) {
      result.source = ntohl(readAt<quint32>(message, payload));
    }
    at += RTA_ALIGN(attribute.rta_len);
  }
  if (outputIndex <= 0) return malformed();
  result.interfaceName = nameOf(outputIndex);
  if (result.interfaceName.isEmpty()) return malformed();
  return result;
}

RouteLookup routeTo(quint32 destination) {
  RouteLookup failed;
  Descriptor fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
  if (fd.get() < 0) {
    failed.failure = routeFailure(errno);
    return failed;
  }
  // The kernel answers at once; the limit only keeps a broken kernel from hanging us.
  timeval limit{0, tunables::kRouteAnswerLimitMs * 1000};
  ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  constexpr quint32 kSequence = 1;
  const QByteArray request = routeRequest(destination, kSequence);
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (::sendto(fd.get(), request.constData(), std::size_t(request.size()), 0,
               reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) < 0) {
    failed.failure = routeFailure(errno);
    return failed;
  }
  std::vector<char> buffer(static_cast<std::size_t>(tunables::kRouteAnswerBytes));
  ssize_t got;
  do {
    got = ::recv(fd.get(), buffer.data(), buffer.size(), 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    failed.failure = routeFailure(errno);
    return failed;
  }
  return parseRouteReply(QByteArrayView(buffer.data(), got), kSequence, interfaceName);
}

}  // namespace velmaro::platform::linux_backend
