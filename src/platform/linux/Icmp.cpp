// ICMP echo over Linux sockets: an unprivileged ICMP datagram socket where the system
// allows it (net.ipv4.ping_group_range), a raw ICMP socket otherwise (root or
// CAP_NET_RAW). One socket serves one call of the engine, so replies to an earlier call
// never reach it on a datagram socket; on a raw socket its own identifier keeps them out.
// A process that gives up its capabilities at start keeps the one raw socket it opened
// before, and every engine call gets its own descriptor of it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>

#include "platform/linux/IcmpPacket.h"
#include "platform/linux/IcmpSocket.h"
#include "platform/linux/LinuxBackends.h"
#include "platform/linux/SystemError.h"
#include "support/Tunables.h"

namespace velmaro::platform::linux_backend {
namespace {

bool isPermissionError(int number) { return number == EACCES || number == EPERM; }

class LinuxEchoSocket final : public EchoSocket {
 public:
  LinuxEchoSocket(int fd, bool raw)
      : m_fd(fd),
        m_raw(raw),
        m_identifier(quint16(QRandomGenerator::system()->bounded(0x10000))),
        m_notifier(fd, QSocketNotifier::Read),
        m_writeNotifier(fd, QSocketNotifier::Write) {
    connect(&m_notifier, &QSocketNotifier::activated, this, &EchoSocket::readyRead);
    m_writeNotifier.setEnabled(false);
    connect(&m_writeNotifier, &QSocketNotifier::activated, this, &EchoSocket::writable);
  }
  ~LinuxEchoSocket() override {
    m_notifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    ::close(m_fd);
  }
  LinuxEchoSocket(const LinuxEchoSocket&) = delete;
  LinuxEchoSocket& operator=(const LinuxEchoSocket&) = delete;

  SendResult send(quint32 destination, quint16 sequence, const QByteArray& data) override {
    // On a datagram socket the kernel puts in the socket's own identifier and the
    // checksum; what we write there is replaced.
    const QByteArray packet = icmp::echoRequest(m_identifier, sequence, data);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(destination);
    ssize_t written;
    do {
      written = ::sendto(m_fd, packet.constData(), size_t(packet.size()), MSG_DONTWAIT,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (written < 0 && errno == EINTR);
    if (written == packet.size()) return SendResult::Sent;
    // A full socket buffer or device queue clears by itself within milliseconds.
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS))
      return SendResult::TryAgain;
    return SendResult::Refused;
  }

  void watchWritable(bool on) override { m_writeNotifier.setEnabled(on); }

  std::optional<EchoReply> receive() override {
    char buffer[tunables::kEchoReceiveBuffer];
    // Bounded: with many foreign packets queued the notifier calls again.
    for (int read = 0; read < tunables::kMaxSkippedPerReceive; ++read) {
      sockaddr_in from{};
      socklen_t fromSize = sizeof from;
      const ssize_t got = ::recvfrom(m_fd, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
      if (got < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;  // nothing pending (or a queued error report: not a reply)
      }
      if (size_t(got) > sizeof buffer) continue;  // cut short: not one of our echoes
      if (fromSize < sizeof from || from.sin_family != AF_INET) continue;
      const auto echo = icmp::parseEchoReply(QByteArrayView(buffer, got), m_raw);
      if (!echo) continue;
      // A raw socket sees every echo reply of the host: only ours carry our identifier.
      // A datagram socket gets only its own, under an identifier the kernel chose.
      if (m_raw && echo->identifier != m_identifier) continue;
      return EchoReply{ntohl(from.sin_addr.s_addr), echo->sequence, echo->data};
    }
    return std::nullopt;
  }

 private:
  int m_fd;
  bool m_raw;
  quint16 m_identifier;
  QSocketNotifier m_notifier;
  QSocketNotifier m_writeNotifier;
};

// Lets only echo replies through to a raw socket, so other ICMP traffic of the host does
// not wake the engine.
void keepOnlyEchoReplies(int fd) {
  icmp_filter filter{};
  filter.data = ~(1u << ICMP_ECHOREPLY);
  ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
}

// The descriptor of an ICMP socket of one kind, or minus the system's error number.
int openIcmpDescriptor(IcmpSocketKind kind) {
  const bool raw = kind == IcmpSocketKind::Raw;
  const int fd =
      ::socket(AF_INET, (raw ? SOCK_RAW : SOCK_DGRAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) return -errno;
  if (raw) keepOnlyEchoReplies(fd);
  return fd;
}

// Opening a socket sends nothing; it is the system's own answer to whether it may.
bool opens(IcmpSocketKind kind) {
  const int fd = openIcmpDescriptor(kind);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// The raw socket opened before the process gave up its capabilities. Written once, before
// the toolkit or any thread exists, and only read afterwards; the capability it stands for
// is the process's own, so it lives as long as the process.
int& keptRawDescriptor() {
  static int fd = -1;
  return fd;
}

// Packets queued on the kept socket between two engine calls belong to nobody now.
void drainPending(int fd) {
  char buffer[tunables::kEchoReceiveBuffer];
  for (int read = 0; read < tunables::kMaxDrainedPerOpen; ++read) {
    if (::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT | MSG_TRUNC) < 0 && errno != EINTR) return;
  }
}

EchoOpenResult failedOpen(int error) {
  EchoOpenResult result;
  result.permissionDenied = isPermissionError(error);
  result.error = systemErrorText(error);
  return result;
}

}  // namespace

EchoOpenResult openIcmpSocket(IcmpSocketKind kind) {
  const int fd = openIcmpDescriptor(kind);
  if (fd < 0) return failedOpen(-fd);
  EchoOpenResult result;
  result.socket = std::make_unique<LinuxEchoSocket>(fd, kind == IcmpSocketKind::Raw);
  return result;
}

void keepRawEchoSocketIfNeeded() {
  if (opens(IcmpSocketKind::Datagram)) return;
  if (const int raw = openIcmpDescriptor(IcmpSocketKind::Raw); raw >= 0) keptRawDescriptor() = raw;
}

bool rawEchoSocketKept() { return keptRawDescriptor() >= 0; }

EchoOpenResult openEchoSocket() {
  EchoOpenResult datagram = openIcmpSocket(IcmpSocketKind::Datagram);
  if (datagram.socket) return datagram;
  if (const int kept = keptRawDescriptor(); kept >= 0) {
    // Its own descriptor, closed with the engine's socket; not handed to programs started
    // later.
    const int fd = ::fcntl(kept, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return failedOpen(errno);
    drainPending(fd);
    EchoOpenResult result;
    result.socket = std::make_unique<LinuxEchoSocket>(fd, true);
    return result;
  }
  EchoOpenResult raw = openIcmpSocket(IcmpSocketKind::Raw);
  if (raw.socket) return raw;
  raw.permissionDenied = datagram.permissionDenied && raw.permissionDenied;
  return raw;
}

EchoSocketKind echoSocketKind() {
  if (opens(IcmpSocketKind::Datagram)) return EchoSocketKind::Datagram;
  if (rawEchoSocketKept() || opens(IcmpSocketKind::Raw)) return EchoSocketKind::Raw;
  return EchoSocketKind::None;
}

}  // namespace velmaro::platform::linux_backend
