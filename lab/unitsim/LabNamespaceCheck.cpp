#include "LabNamespaceCheck.h"

#include <QFile>
#include <QList>
#include <QStringList>

#include <filesystem>
#include <system_error>

namespace velmaro::lab {
namespace {

constexpr qint64 kMaxProcText = 64 * 1024;
constexpr int kMaxInterfaces = 256;

QByteArray ReadBounded(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(kMaxProcText);
}

// /proc/net/route writes addresses as 8 hex digits in host (little-endian) byte order.
std::optional<quint32> RouteHex(const QByteArray& field) {
  bool ok = false;
  const quint32 raw = field.toUInt(&ok, 16);
  if (!ok || field.size() != 8) return std::nullopt;
  return ((raw & 0xFFu) << 24) | ((raw & 0xFF00u) << 8) | ((raw >> 8) & 0xFF00u) | (raw >> 24);
}

// The lab's subnets: segment A (198.18.7.0/24), segment B (198.18.8.0/24), the units that
// sit outside the client's subnet on segment B (198.18.9.0/24, link-local 169.254.0.0/16).
// The first three lie in 198.18.0.0/15, the block set aside for benchmarking network devices
// and never given to a real network, which is allowed whole: a benchmark may route more of
// it onto a lab link for silent addresses. And the limited-broadcast host route.
struct LabSubnet {
  quint32 net;
  quint32 mask;
};
constexpr LabSubnet kLabSubnets[] = {
    {(198u << 24) | (18u << 16), 0xFFFE0000u},
    {(169u << 24) | (254u << 16), 0xFFFF0000u},
};
constexpr quint32 kAllOnes = 0xFFFFFFFFu;

bool InsideLab(quint32 dest, quint32 mask) {
  for (const LabSubnet& subnet : kLabSubnets) {
    if ((mask & subnet.mask) == subnet.mask && (dest & subnet.mask) == subnet.net) return true;
  }
  return false;
}

bool IsLabLink(const QString& name) {
  for (const char* link : kLabLinkNames) {
    if (name == QLatin1String(link)) return true;
  }
  return false;
}

}  // namespace

QStringList InterfaceNames(const QByteArray& netDev) {
  QStringList names;
  const QList<QByteArray> lines = netDev.split('\n');
  for (const QByteArray& line : lines) {
    const qsizetype colon = line.indexOf(':');
    // The two header lines carry '|' and no "name:" at the start.
    if (colon <= 0 || line.contains('|')) continue;
    const QByteArray name = line.left(colon).trimmed();
    if (name.isEmpty()) continue;
    names.append(QString::fromLatin1(name));
    if (names.size() >= kMaxInterfaces) break;
  }
  return names;
}

std::optional<QString> LabRefusal(const NamespaceFacts& facts) {
  if (facts.sameAsInitial.value_or(false))
    return QStringLiteral("this is the host's own network namespace, not a lab namespace");
  const QStringList names = InterfaceNames(facts.netDev);
  if (names.isEmpty()) return QStringLiteral("cannot read the interface list (/proc/net/dev)");
  bool hasLink = false;
  for (const QString& name : names) {
    if (IsLabLink(name)) {
      hasLink = true;
    } else if (name != u"lo") {
      return QStringLiteral(
                 "interface %1 exists here; a lab namespace has only lo and the lab's "
                 "links (%2, vlab1)")
          .arg(name, QLatin1String(kLabLinkName));
    }
  }
  if (!hasLink)
    return QStringLiteral("no %1 interface here; this is not a lab host")
        .arg(QLatin1String(kLabLinkName));

  const QList<QByteArray> lines = facts.netRoute.split('\n');
  if (lines.isEmpty() || !lines.first().startsWith("Iface"))
    return QStringLiteral("cannot read the routing table (/proc/net/route)");
  for (qsizetype i = 1; i < lines.size(); ++i) {
    const QList<QByteArray> fields = lines[i].simplified().split(' ');
    if (fields.size() < 8) continue;  // blank trailing line
    const QString iface = QString::fromLatin1(fields[0]);
    const auto dest = RouteHex(fields[1]);
    const auto mask = RouteHex(fields[7]);
    if (!dest || !mask)
      return QStringLiteral("unreadable route line: %1").arg(QString::fromLatin1(lines[i]));
    if (*mask == 0)
      return QStringLiteral("a default route exists (via %1); a lab has no way out").arg(iface);
    if (!IsLabLink(iface))
      return QStringLiteral("a route on %1 exists; a lab routes only on its own links").arg(iface);
    const bool limitedBroadcast = *dest == kAllOnes && *mask == kAllOnes;
    if (!InsideLab(*dest, *mask) && !limitedBroadcast)
      return QStringLiteral(
                 "a route outside the lab's subnets (198.18.0.0/15, 169.254.0.0/16) "
                 "exists on %1")
          .arg(iface);
  }
  return std::nullopt;
}

NamespaceFacts ReadNamespaceFacts() {
  NamespaceFacts facts;
  facts.netDev = ReadBounded(QStringLiteral("/proc/self/net/dev"));
  facts.netRoute = ReadBounded(QStringLiteral("/proc/self/net/route"));
  // The links read "net:[inode]"; the same text means the same namespace.
  std::error_code mineError;
  std::error_code initialError;
  const auto mine = std::filesystem::read_symlink("/proc/thread-self/ns/net", mineError);
  const auto initial = std::filesystem::read_symlink("/proc/1/ns/net", initialError);
  if (!mineError && !initialError) facts.sameAsInitial = (mine == initial);
  return facts;
}

}  // namespace velmaro::lab
