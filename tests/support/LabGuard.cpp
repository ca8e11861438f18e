#include "LabGuard.h"

#include "LabNamespaceCheck.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QProcessEnvironment>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace velmaro::lab {
namespace {

constexpr int kScriptTimeoutMs = 15000;
constexpr int kMaxPingTimeoutMs = 5000;
constexpr qint64 kResendMs = 500;

// Closes the descriptor whatever way the ping ends.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

void SetWhy(QString* why, const QString& text) {
  if (why) *why = text;
}

}  // namespace

bool InLabNamespace(QString* why) {
  const auto refusal = LabRefusal(ReadNamespaceFacts());
  if (refusal) SetWhy(why, *refusal);
  return !refusal;
}

void RequireLab() {
  QString why;
  if (!InLabNamespace(&why)) {
    FAIL() << "not inside a lab network namespace (" << why.toStdString()
           << "); lab suites run only through 'velmaro-lab exec' (ctest -L lab as root)";
  }
}

void LabEnvironment::SetUp() { RequireLab(); }

QString LabStatePath() { return qEnvironmentVariable("VELMARO_LAB_STATE"); }
QString LabScriptPath() { return qEnvironmentVariable("VELMARO_LAB_SCRIPT"); }

namespace {

QString keyText(std::string_view hostKey) {
  return QString::fromLatin1(hostKey.data(), static_cast<qsizetype>(hostKey.size()));
}

// One run of the lab script with the suite's state file, bounded.
bool RunLabScript(QStringList arguments, QString* why) {
  const QString script = LabScriptPath();
  if (script.isEmpty()) {
    SetWhy(why, QStringLiteral("VELMARO_LAB_SCRIPT is not set"));
    return false;
  }
  if (!LabStatePath().isEmpty())
    arguments = QStringList{QStringLiteral("--state"), LabStatePath()} + arguments;
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(script, arguments);
  if (!process.waitForFinished(kScriptTimeoutMs)) {
    process.kill();
    process.waitForFinished(1000);
    SetWhy(why, QStringLiteral("the lab script did not finish: %1").arg(process.errorString()));
    return false;
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    SetWhy(why, QString::fromLocal8Bit(process.readAll()).trimmed());
    return false;
  }
  return true;
}

bool SetAddress(std::string_view hostKey, const QString& cidr, QString* why) {
  const QString card = QStringLiteral("vlab0");
  return RunInLabHost(hostKey,
                      {QStringLiteral("ip"), QStringLiteral("-4"), QStringLiteral("addr"),
                       QStringLiteral("flush"), QStringLiteral("dev"), card},
                      why) &&
         RunInLabHost(hostKey,
                      {QStringLiteral("ip"), QStringLiteral("addr"), QStringLiteral("add"), cidr,
                       QStringLiteral("dev"), card},
                      why);
}

}  // namespace

bool SetHostPlugged(std::string_view hostKey, bool plugged, QString* why) {
  return RunLabScript(
      {plugged ? QStringLiteral("plug") : QStringLiteral("unplug"), keyText(hostKey)}, why);
}

bool RunInLabHost(std::string_view hostKey, const QStringList& command, QString* why) {
  return RunLabScript(
      QStringList{QStringLiteral("--host"), keyText(hostKey), QStringLiteral("exec")} + command,
      why);
}

ReaddressedHost::ReaddressedHost(std::string_view hostKey, const QString& ownCidr,
                                 const QString& otherCidr)
    : m_key(hostKey), m_own(ownCidr), m_other(otherCidr) {
  m_ok = SetAddress(m_key, otherCidr, &m_error);
}

ReaddressedHost::~ReaddressedHost() {
  SetAddress(m_key, m_own, nullptr);
  // The host's ARP requests from the other address taught this namespace its MAC there; a
  // host that really owns that address would stay unreachable until the entry ages out.
  if (InLabNamespace()) {
    QProcess::execute(QStringLiteral("ip"), {QStringLiteral("neigh"), QStringLiteral("flush"),
                                             QStringLiteral("to"), m_other.section(u'/', 0, 0)});
  }
}

HostCable::HostCable(std::string_view hostKey, bool plugged) : m_key(hostKey), m_plugged(plugged) {
  m_ok = SetHostPlugged(m_key, m_plugged, &m_error);
}

HostCable::~HostCable() {
  if (m_ok) SetHostPlugged(m_key, !m_plugged);
}

std::optional<int> LabPing(std::string_view ip, int timeoutMs, QString* why) {
  QString refusal;
  if (!InLabNamespace(&refusal)) {
    SetWhy(why, QStringLiteral("refused: ") + refusal);
    return std::nullopt;
  }
  const QHostAddress target(QString::fromLatin1(ip.data(), static_cast<qsizetype>(ip.size())));
  bool ok = false;
  const quint32 address = target.toIPv4Address(&ok);
  if (!ok || !target.isInSubnet(QHostAddress(QStringLiteral("198.18.7.0")), 24)) {
    SetWhy(why, QStringLiteral("refused: not a lab address"));
    return std::nullopt;
  }
  timeoutMs = qBound(0, timeoutMs, kMaxPingTimeoutMs);

  // The unprivileged ICMP socket: the kernel fills in the identifier and checksum.
  FileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
  if (socket.get() < 0) {
    SetWhy(why,
           QStringLiteral("no ICMP socket: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    return std::nullopt;
  }
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(address);
  constexpr std::uint16_t kSequence = 0x5a5a;
  std::array<unsigned char, 8 + 12> request{};
  request[0] = ICMP_ECHO;
  request[6] = kSequence >> 8;
  request[7] = kSequence & 0xff;
  std::memcpy(request.data() + 8, "LABSELFTEST!", 12);
  QElapsedTimer clock;
  clock.start();
  // One echo now and one more every interval, like ping: a request dropped while the
  // neighbour entry was still failing must not decide the answer. Bounded by the time-out.
  qint64 nextSend = 0;
  QElapsedTimer sent;
  while (clock.elapsed() < timeoutMs) {
    if (clock.elapsed() >= nextSend) {
      if (::sendto(socket.get(), request.data(), request.size(), 0,
                   reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0 &&
          errno != EHOSTUNREACH) {
        SetWhy(why,
               QStringLiteral("send failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
        return std::nullopt;
      }
      sent.start();
      nextSend = clock.elapsed() + kResendMs;
    }
    const qint64 wait = std::min<qint64>(timeoutMs, nextSend) - clock.elapsed();
    pollfd waiting{socket.get(), POLLIN, 0};
    const int ready = ::poll(&waiting, 1, static_cast<int>(std::max<qint64>(wait, 1)));
    if (ready <= 0) continue;
    if (!(waiting.revents & POLLIN)) {
      // An unreachable report is queued as a socket error: read it and wait for the next round.
      int error = 0;
      socklen_t length = sizeof error;
      ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length);
      ::poll(nullptr, 0, static_cast<int>(std::max<qint64>(nextSend - clock.elapsed(), 1)));
      continue;
    }
    std::array<unsigned char, 256> reply{};
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t got = ::recvfrom(socket.get(), reply.data(), reply.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (got < 8 || reply[0] != ICMP_ECHOREPLY || from.sin_addr.s_addr != to.sin_addr.s_addr)
      continue;
    if (((reply[6] << 8) | reply[7]) != kSequence) continue;
    return static_cast<int>(sent.elapsed());
  }
  SetWhy(why, QStringLiteral("no answer within %1 ms").arg(timeoutMs));
  return std::nullopt;
}

}  // namespace velmaro::lab
