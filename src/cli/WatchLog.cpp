#include "cli/WatchLog.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <array>

#include "cli/Formats.h"
#include "support/Ipv4Text.h"
#include "support/PrintableText.h"
#include "support/Tunables.h"

namespace velmaro::cli {
namespace {

enum class Event { New, Moved, Conflict, Gone, Back };
constexpr std::array<std::pair<const char*, Event>, 5> kEvents{{{"new", Event::New},
                                                                {"moved", Event::Moved},
                                                                {"conflict", Event::Conflict},
                                                                {"gone", Event::Gone},
                                                                {"back", Event::Back}}};

// The fields of one event line as written; a key the line leaves out is null.
struct EventLine {
  Event event = Event::New;
  QString ip;
  std::optional<QString> mac, mfg, name;
  QStringList macs;
};

// Why a value is no address as the program writes it; empty when it is one.
QString addressError(const QJsonValue& value, const char* key) {
  const QString text = value.toString();
  const auto address = ParseDottedAddress(text);
  if (value.isString() && address && DottedAddress(*address) == text) return {};
  return QStringLiteral("\"%1\" %2 is not a dotted IPv4 address")
      .arg(QLatin1String(key), value.isString() ? QuotedText(text) : QStringLiteral("value"));
}

std::variant<EventLine, QString> readEvent(const QJsonObject& object) {
  EventLine line;
  const QJsonValue event = object.value(QLatin1String("event"));
  const auto known = std::find_if(kEvents.begin(), kEvents.end(), [&](const auto& entry) {
    return event.toString() == QLatin1String(entry.first);
  });
  if (!event.isString() || known == kEvents.end()) {
    return QStringLiteral("\"event\" is not one of new, moved, conflict, gone, back");
  }
  line.event = known->second;
  const QJsonValue ip = object.value(QLatin1String("ip"));
  if (QString wrong = addressError(ip, "ip"); !wrong.isEmpty()) return wrong;
  line.ip = ip.toString();
  const QJsonValue previous = object.value(QLatin1String("previous_ip"));
  // Only a move names the address before it; an empty one is as good as none.
  if (QString wrong = addressError(previous, "previous_ip");
      !previous.isUndefined() && previous != QJsonValue(QString()) && !wrong.isEmpty())
    return wrong;
  const std::array<std::pair<const char*, std::optional<QString>*>, 4> texts{
      {{"mac", &line.mac}, {"mfg", &line.mfg}, {"name", &line.name}, {"time", nullptr}}};
  for (const auto& [key, field] : texts) {
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined()) continue;
    if (!value.isString()) return QStringLiteral("\"%1\" is not a string").arg(QLatin1String(key));
    if (field) *field = value.toString();
  }
  const QJsonValue macs = object.value(QLatin1String("macs"));
  if (!macs.isUndefined()) {
    if (!macs.isArray()) return QStringLiteral("\"macs\" is not an array of strings");
    for (const QJsonValue& mac : macs.toArray()) {
      if (!mac.isString()) return QStringLiteral("\"macs\" is not an array of strings");
      line.macs.append(mac.toString());
    }
  }
  return line;
}

// The hosts as the log has left them so far, in the order they were first seen.
class HostState {
 public:
  // False when a new host would pass the bound.
  bool apply(const EventLine& line) {
    if (line.event == Event::Gone) {
      if (const auto it = m_index.constFind(HostKey(line.mac.value_or(QString()), line.ip));
          it != m_index.constEnd())
        m_hosts[*it].present = false;
      return true;
    }
    if (line.event != Event::Conflict || line.mac.value_or(QString()) != QString()) {
      if (!put(line.ip, line.mac, line.mfg, line.name)) return false;
    }
    for (const QString& mac : line.macs) {
      if (!MacKey(mac).isEmpty() && !put(line.ip, mac, std::nullopt, std::nullopt)) return false;
    }
    return true;
  }

  std::vector<RowRecord> present() const {
    std::vector<RowRecord> rows;
    for (const Host& host : m_hosts) {
      if (host.present) rows.push_back(host.row);
    }
    return rows;
  }

 private:
  struct Host {
    RowRecord row;
    bool present = true;
  };

  bool put(const QString& ip, const std::optional<QString>& mac, const std::optional<QString>& mfg,
           const std::optional<QString>& name) {
    const QString key = HostKey(mac.value_or(QString()), ip);
    auto it = m_index.constFind(key);
    if (it == m_index.constEnd()) {
      if (m_hosts.size() >= static_cast<size_t>(tunables::kMaxResultRows)) return false;
      it = m_index.insert(key, m_hosts.size());
      m_hosts.emplace_back();
    }
    Host& host = m_hosts[*it];
    host.present = true;
    host.row.cells[kIpCell] = ip;
    if (mac) host.row.cells[kMacCell] = *mac;
    if (mfg) host.row.cells[kMfgCell] = *mfg;
    if (name) host.row.cells[kNameCell] = *name;
    return true;
  }

  std::vector<Host> m_hosts;
  QHash<QString, size_t> m_index;
};

}  // namespace

std::variant<std::vector<RowRecord>, QString> ParseWatchLog(QByteArrayView log) {
  if (log.size() > tunables::kMaxResultFileBytes) {
    return QStringLiteral("larger than %1 bytes").arg(tunables::kMaxResultFileBytes);
  }
  HostState state;
  int number = 0;
  for (qsizetype start = 0; start < log.size();) {
    qsizetype end = log.indexOf('\n', start);
    if (end < 0) end = log.size();
    QByteArrayView text = log.sliced(start, end - start);
    start = end + 1;
    ++number;
    const auto where = [number](const QString& what) {
      return QStringLiteral("line %1: %2").arg(number).arg(what);
    };
    if (text.endsWith('\r')) text.chop(1);
    if (text.trimmed().isEmpty()) continue;
    if (text.size() > tunables::kMaxWatchLogLine) {
      return where(QStringLiteral("longer than %1 bytes").arg(tunables::kMaxWatchLogLine));
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError) {
      return where(QStringLiteral("not JSON (%1 at column %2)")
                       .arg(error.errorString(), QString::number(error.offset + 1)));
    }
    if (!document.isObject()) return where(QStringLiteral("not an event object"));
    const auto line = readEvent(document.object());
    if (const auto* wrong = std::get_if<QString>(&line)) return where(*wrong);
    if (!state.apply(std::get<EventLine>(line))) {
      return where(QStringLiteral("more than %1 hosts").arg(tunables::kMaxResultRows));
    }
  }
  return state.present();
}

std::variant<std::vector<RowRecord>, QString> ParseHostFile(QByteArrayView file) {
  const QByteArrayView text = file.trimmed();
  if (text.isEmpty()) return QStringLiteral("empty: neither a result nor a watch log");
  if (text.front() == '[') return ParseJsonRows(file);
  if (text.front() == '{') return ParseWatchLog(file);
  const QByteArrayView before = file.first(text.data() - file.data());
  return QStringLiteral(
             "line %1: neither a result (a JSON array) nor a watch log (a JSON object a line)")
      .arg(std::count(before.begin(), before.end(), '\n') + 1);
}

}  // namespace velmaro::cli
