#include "discovery/BroadcastReply.h"

#include <QStringList>

#include "support/Numbers.h"
#include "support/Tunables.h"

namespace velmaro {

QString CleanUnitName(QStringView line) {
  QString name = line.toString();
  name.remove(QChar(u'\0'));
  // Only spaces are trimmed: a TAB in a name is the unit's own business.
  qsizetype begin = 0;
  qsizetype end = name.size();
  while (begin < end && name[begin] == u' ') ++begin;
  while (end > begin && name[end - 1] == u' ') --end;
  return name.sliced(begin, end - begin);
}

QString PortCellFromHex(QStringView line) {
  const std::uint64_t value = LeadingHexValue(line);
  // No browser can use a larger number as a port: it is not one.
  if (value > 0xFFFF) return QStringLiteral("N/A");
  return QString::number(value);
}

std::optional<BroadcastReply> ParseBroadcastReply(QByteArrayView datagram, quint32 sender) {
  if (datagram.size() > tunables::kMaxDatagram) return std::nullopt;
  if (datagram.size() < kMinReplyLength) return std::nullopt;
  const QString text = QString::fromLatin1(datagram);
  const QList<QStringView> lines = QStringView(text).split(u"\r\n", Qt::KeepEmptyParts);
  if (lines.size() < 3) return std::nullopt;

  // NUL filler is the units' way on line 1; anywhere else it is damage, and a cell that
  // holds one is cut short wherever it is shown or written out.
  const auto withoutNuls = [](QStringView line) { return line.toString().remove(QChar(u'\0')); };
  BroadcastReply reply;
  reply.address = DottedAddress(sender);
  reply.mac = withoutNuls(lines[1]);
  reply.name = CleanUnitName(lines[0]) + u' ' + withoutNuls(lines[2]);
  reply.hasPortLine = lines.size() >= 4;
  reply.httpPort = reply.hasPortLine ? PortCellFromHex(lines[3]) : QStringLiteral("N/A");
  return reply;
}

}  // namespace velmaro
