// Who may send ICMP echo requests: the namespace's ping_group_range against the process's
// groups, CAP_NET_RAW of the process and of its file, and which echo socket it uses now.
#include <sys/xattr.h>
#include <unistd.h>

#include <QFile>
#include <QList>
#include <algorithm>
#include <cstring>

#include "platform/linux/IcmpSocket.h"
#include "platform/linux/LinuxBackends.h"
#include "platform/linux/ProcFacts.h"
#include "support/Tunables.h"

namespace velmaro::platform::linux_backend {
namespace {

constexpr int kNetRawBit = 13;                     // CAP_NET_RAW
constexpr quint32 kCapRevisionMask = 0xFF000000u;  // VFS_CAP_REVISION_MASK
constexpr quint32 kCapEffectiveFlag = 0x1u;        // VFS_CAP_FLAGS_EFFECTIVE
constexpr qsizetype kMaxCapabilityAttribute = 64;  // revision 3 is 24 bytes

QByteArray readBounded(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(tunables::kMaxProcFileBytes);
}

quint32 littleEndian32(QByteArrayView bytes, qsizetype at) {
  quint32 value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | quint8(bytes[at + i]);
  return value;
}

std::vector<quint32> processGroups() {
  std::vector<quint32> groups{quint32(::getgid()), quint32(::getegid())};
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    std::vector<gid_t> more(std::size_t(count), 0);
    const int got = ::getgroups(count, more.data());
    for (int i = 0; i < got; ++i) groups.push_back(quint32(more[std::size_t(i)]));
  }
  std::sort(groups.begin(), groups.end());
  groups.erase(std::unique(groups.begin(), groups.end()), groups.end());
  return groups;
}

bool fileHasNetRaw(const QString& executable) {
  const QByteArray path = QFile::encodeName(executable);
  char buffer[kMaxCapabilityAttribute];
  const ssize_t got = ::getxattr(path.constData(), "security.capability", buffer, sizeof buffer);
  if (got <= 0) return false;
  return fileCapabilityGrantsNetRaw(QByteArrayView(buffer, got));
}

}  // namespace

std::optional<std::pair<quint32, quint32>> parsePingGroupRange(QByteArrayView text) {
  const QList<QByteArray> fields = text.toByteArray().simplified().split(' ');
  if (fields.size() != 2) return std::nullopt;
  bool lowOk = false;
  bool highOk = false;
  const uint low = fields[0].toUInt(&lowOk, 10);  // locale-free, whole field only
  const uint high = fields[1].toUInt(&highOk, 10);
  if (!lowOk || !highOk) return std::nullopt;
  return std::pair{quint32(low), quint32(high)};
}

bool netRawEffective(QByteArrayView procStatus) {
  for (const QByteArray& line : procStatus.toByteArray().split('\n')) {
    if (!line.startsWith("CapEff:")) continue;
    bool ok = false;
    const quint64 mask = line.mid(7).trimmed().toULongLong(&ok, 16);
    return ok && ((mask >> kNetRawBit) & 1u) != 0;
  }
  return false;
}

bool fileCapabilityGrantsNetRaw(QByteArrayView attribute) {
  if (attribute.size() < 12) return false;  // magic and one permitted/inheritable pair
  const quint32 magic = littleEndian32(attribute, 0);
  const quint32 revision = magic & kCapRevisionMask;
  if (revision < 0x01000000u || revision > 0x03000000u) return false;
  const quint32 permitted = littleEndian32(attribute, 4);
  return (magic & kCapEffectiveFlag) != 0 && ((permitted >> kNetRawBit) & 1u) != 0;
}

IcmpPermission icmpPermission() {
  IcmpPermission facts;
  facts.pingGroupRange =
      parsePingGroupRange(readBounded(QStringLiteral("/proc/sys/net/ipv4/ping_group_range")));
  facts.groups = processGroups();
  facts.processHasNetRaw = netRawEffective(readBounded(QStringLiteral("/proc/self/status")));
  facts.executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
  facts.fileHasNetRaw = !facts.executable.isEmpty() && fileHasNetRaw(facts.executable);
  facts.rawSocketKept = rawEchoSocketKept();
  facts.wouldUse = echoSocketKind();
  return facts;
}

}  // namespace velmaro::platform::linux_backend
