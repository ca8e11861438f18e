// The UDP socket of the broadcast query: a plain non-blocking datagram socket watched by a
// QSocketNotifier, so every failure comes with its own system error number. Tied to one
// card it is bound to that device and asks the kernel for each datagram's arrival card.
#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <QPointer>
#include <QSocketNotifier>
#include <vector>

#include "platform/ReceiveQueue.h"
#include "platform/linux/LinuxBackends.h"
#include "platform/linux/SystemError.h"
#include "support/Tunables.h"
#include "support/VbError.h"

namespace velmaro::platform::linux_backend {
namespace {

// The numbers support staff know from the Windows socket layer, where one applies.
SocketFailure failureFor(int error) {
  switch (error) {
    case EADDRINUSE: {
      const VbError inUse = err::addressInUse();
      return {inUse.number, inUse.description};
    }
    case EACCES:
    case EPERM:
      return {10013, QStringLiteral("Permission denied")};
    case ENETUNREACH:
      return {10051, QStringLiteral("Network is unreachable")};
    case EHOSTUNREACH:
      return {10065, QStringLiteral("No route to host")};
    case ENETDOWN:
      return {10050, QStringLiteral("Network is down")};
    case EADDRNOTAVAIL:
      return {10049, QStringLiteral("Address not available")};
    case EMSGSIZE:
      return {10040, QStringLiteral("Message too long")};
    case ENOBUFS:
    case ENOMEM:
      return {10055, QStringLiteral("No buffer space available")};
    case EMFILE:
    case ENFILE:
      return {10024, QStringLiteral("Too many open files")};
    case EINVAL:
      return {10022, QStringLiteral("Invalid argument")};
    case EAGAIN:
      return {10035, QStringLiteral("Operation would block")};
    default:
      return {error, systemErrorText(error)};
  }
}

sockaddr_in ipv4Endpoint(quint32 address, quint16 port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_port = htons(port);
  endpoint.sin_addr.s_addr = htonl(address);
  return endpoint;
}

// The name of the card with this index; empty when it has gone meanwhile.
QString interfaceNameOf(int index) {
  char name[IF_NAMESIZE] = {};
  if (index <= 0 || ::if_indextoname(unsigned(index), name) == nullptr) return {};
  return QString::fromLocal8Bit(name);
}

class UdpSocket final : public DatagramSocket {
 public:
  // An empty card name: the plain socket on every local address.
  explicit UdpSocket(QString interfaceName = {}) : m_interface(std::move(interfaceName)) {}
  ~UdpSocket() override { close(); }

  void close() override {
    if (m_notifier) {
      // We may be inside the notifier's own signal: let the event loop delete it.
      m_notifier->setEnabled(false);
      m_notifier->deleteLater();
      m_notifier.clear();
    }
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_received.clear();
  }

  std::optional<SocketFailure> bind(quint16 port) override {
    if (auto failure = open()) return failure;
    // No SO_REUSEADDR: a port another program holds must make this bind fail.
    const sockaddr_in local = ipv4Endpoint(INADDR_ANY, port);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      return failureFor(errno);
    }
    return std::nullopt;
  }

  std::optional<SocketFailure> sendTo(const QByteArray& data, quint32 address,
                                      quint16 port) override {
    if (data.size() > tunables::kMaxDatagram) return failureFor(EMSGSIZE);
    if (auto failure = open()) return failure;
    const sockaddr_in remote = ipv4Endpoint(address, port);
    ssize_t sent;
    do {
      sent = ::sendto(m_fd, data.constData(), std::size_t(data.size()), MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) return failureFor(errno);
    return std::nullopt;
  }

  std::optional<Datagram> receive() override {
    return m_received.take([this](Datagram* into) { return readOne(into); });
  }

 private:
  // Creates the socket on first need, broadcast allowed.
  std::optional<SocketFailure> open() {
    if (m_fd >= 0) return std::nullopt;
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return failureFor(errno);
    const int on = 1;
    if (::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
      const SocketFailure failure = failureFor(errno);
      close();
      return failure;
    }
    // A burst of answers, or of junk, then waits in the system while the window is busy
    // for a moment instead of being dropped. The system caps it at its own limit.
    const int buffer = tunables::kReplySocketBufferBytes;
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    if (auto failure = tieToInterface()) {
      close();
      return failure;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    QObject::connect(m_notifier.data(), &QSocketNotifier::activated, this,
                     [this] { onReadable(); });
    return std::nullopt;
  }

  // Binding to the device keeps the port to this card, so one socket per card can hold it,
  // and sends the limited broadcast out of this card even where no route says so.
  std::optional<SocketFailure> tieToInterface() {
    if (m_interface.isEmpty()) return std::nullopt;
    const QByteArray device = m_interface.toLocal8Bit();
    if (device.size() >= IF_NAMESIZE) return failureFor(ENODEV);
    if (::setsockopt(m_fd, SOL_SOCKET, SO_BINDTODEVICE, device.constData(),
                     socklen_t(device.size() + 1)) != 0) {
      return failureFor(errno);
    }
    const int on = 1;
    if (::setsockopt(m_fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0) return failureFor(errno);
    return std::nullopt;
  }

  // One datagram from the system, into `into` unless that is null.
  ReadOutcome readOne(Datagram* into) {
    if (m_fd < 0) return ReadOutcome::NothingWaiting;
    sockaddr_in from{};
    iovec buffer{m_buffer.data(), m_buffer.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &buffer;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    // MSG_TRUNC makes the call report the datagram's real length, so one that did not
    // fit the buffer is recognised and dropped rather than taken in part.
    const ssize_t got = ::recvmsg(m_fd, &message, MSG_TRUNC);
    // Else nothing more is waiting, or a pending error that concerns no datagram.
    if (got < 0) return errno == EINTR ? ReadOutcome::Skipped : ReadOutcome::NothingWaiting;
    if (std::size_t(got) > std::size_t(tunables::kMaxDatagram) || into == nullptr)
      return ReadOutcome::Skipped;
    into->data = QByteArray(m_buffer.data(), qsizetype(got));
    into->source = ntohl(from.sin_addr.s_addr);
    into->sourcePort = ntohs(from.sin_port);
    into->arrivalInterface = arrivalInterfaceOf(message);
    return ReadOutcome::Taken;
  }

  QString arrivalInterfaceOf(msghdr& message) const {
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
      if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
      in_pktinfo info{};
      std::memcpy(&info, CMSG_DATA(c), sizeof info);
      return interfaceNameOf(info.ipi_ifindex);
    }
    return {};
  }

  void onReadable() {
    m_received.onReadable([this](Datagram* into) { return readOne(into); },
                          [this] { emit readyRead(); });
  }

  QString m_interface;
  int m_fd = -1;
  QPointer<QSocketNotifier> m_notifier;
  ReceiveQueue m_received;
  // One byte more than a datagram may hold, to tell an oversized one apart.
  std::vector<char> m_buffer = std::vector<char>(std::size_t(tunables::kMaxDatagram) + 1);
};

}  // namespace

std::unique_ptr<DatagramSocket> createDatagramSocket() { return std::make_unique<UdpSocket>(); }

std::unique_ptr<DatagramSocket> createInterfaceSocket(const QString& interfaceName) {
  return std::make_unique<UdpSocket>(interfaceName);
}

}  // namespace velmaro::platform::linux_backend
