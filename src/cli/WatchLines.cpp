#include "cli/WatchLines.h"

#include "cli/Formats.h"
#include "support/PrintableText.h"

namespace velmaro::cli {

QString WatchTime(const QDateTime& time) {
  return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QString WatchJsonLine(const WatchEvent& event) {
  auto pair = [](const char* key, const QString& value) {
    return QStringLiteral(", \"%1\": %2").arg(QLatin1String(key), JsonString(value));
  };
  QString line = QStringLiteral("{\"time\": ") + JsonString(WatchTime(event.time)) +
                 pair("event", WatchEventName(event.kind)) + pair("ip", event.ip) +
                 pair("mac", event.mac) + pair("mfg", event.mfg) + pair("name", event.name);
  if (!event.previousIp.isEmpty()) line += pair("previous_ip", event.previousIp);
  if (event.kind == WatchEventKind::Conflict) {
    QStringList macs;
    for (const QString& mac : event.macs) macs.append(JsonString(mac));
    line += QStringLiteral(", \"macs\": [") + macs.join(QStringLiteral(", ")) + u']';
  }
  return line + QStringLiteral("}\n");
}

QString WatchTableLine(const WatchEvent& event) {
  QString line = QStringLiteral("%1  %2  %3  %4  %5  %6")
                     .arg(WatchTime(event.time), WatchEventName(event.kind).leftJustified(8),
                          event.ip.leftJustified(15), event.mac.leftJustified(17),
                          event.mfg.leftJustified(20), event.name);
  if (!event.previousIp.isEmpty()) line += QStringLiteral("  (was %1)").arg(event.previousIp);
  if (event.kind == WatchEventKind::Conflict) {
    line += QStringLiteral("  (claimed by %1)").arg(event.macs.join(QStringLiteral(", ")));
  }
  return PrintableText(line) + u'\n';
}

QString WatchSummary(const WatchTotals& totals, qint64 seconds) {
  QString line = QStringLiteral("watched %1 s: %2 hosts known").arg(seconds).arg(totals.hosts);
  for (WatchEventKind kind : {WatchEventKind::New, WatchEventKind::Moved, WatchEventKind::Conflict,
                              WatchEventKind::Gone, WatchEventKind::Back}) {
    line +=
        QStringLiteral(", %1 %2").arg(totals.events[std::size_t(kind)]).arg(WatchEventName(kind));
  }
  if (totals.forgotten > 0) line += QStringLiteral(", %1 forgotten").arg(totals.forgotten);
  return line;
}

}  // namespace velmaro::cli
