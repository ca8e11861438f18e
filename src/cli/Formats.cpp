#include "cli/Formats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>

#include "support/Tunables.h"

namespace velmaro::cli {
namespace {

constexpr int kColumns = ResultList::kColumnCount;

QString key(int column) {
  return QLatin1String(ResultList::columns()[static_cast<size_t>(column)].key);
}
const QString kIconKey = QStringLiteral("icon");
const QString kInterfaceKey = QStringLiteral("interface");
const QString kUnreachableKey = QStringLiteral("unreachable");

const ReplyCard& cardOf(const RowRecord& row) {
  static const ReplyCard kNone;
  return row.card ? *row.card : kNone;
}

QString printable(const QString& text) {
  QString out = text;
  for (QChar& c : out) {
    if (c.category() == QChar::Other_Control) c = u'?';
  }
  return out;
}

QString csvField(const QString& text) {
  const bool quote =
      text.contains(u'"') || text.contains(u',') || text.contains(u'\r') || text.contains(u'\n');
  if (!quote) return text;
  QString doubled = text;
  doubled.replace(u'"', QStringLiteral("\"\""));
  return u'"' + doubled + u'"';
}

QString jsonString(const QString& text) {
  QString out = QStringLiteral("\"");
  for (QChar c : text) {
    switch (c.unicode()) {
      case u'"':
        out += QStringLiteral("\\\"");
        break;
      case u'\\':
        out += QStringLiteral("\\\\");
        break;
      case u'\n':
        out += QStringLiteral("\\n");
        break;
      case u'\r':
        out += QStringLiteral("\\r");
        break;
      case u'\t':
        out += QStringLiteral("\\t");
        break;
      default:
        if (c.unicode() < 0x20) {
          out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
          out += c;
        }
    }
  }
  return out + u'"';
}

QString iconMark(const QString& icon) {
  if (icon == u"add") return QStringLiteral("+");
  if (icon == u"remove") return QStringLiteral("-");
  return {};
}

}  // namespace

QString FormatTable(const std::vector<RowRecord>& rows, bool wide) {
  const bool marks =
      std::any_of(rows.begin(), rows.end(), [](const RowRecord& r) { return !r.icon.isEmpty(); });
  std::vector<QStringList> lines;
  QStringList header;
  for (int i = 0; i < kColumns; ++i) {
    header.append(QLatin1String(ResultList::columns()[static_cast<size_t>(i)].header));
  }
  if (wide) header << kInterfaceKey << kUnreachableKey;
  lines.push_back(header);
  for (const RowRecord& row : rows) {
    QStringList line;
    for (const QString& cell : row.cells) line.append(printable(cell));
    if (wide) line << printable(cardOf(row).interfaceName) << printable(cardOf(row).unreachable);
    lines.push_back(line);
  }
  std::vector<qsizetype> width(static_cast<size_t>(header.size()), 0);
  for (const auto& line : lines) {
    for (qsizetype i = 0; i < line.size(); ++i)
      width[static_cast<size_t>(i)] = std::max(width[static_cast<size_t>(i)], line[i].size());
  }
  QString out;
  for (size_t n = 0; n < lines.size(); ++n) {
    QString text;
    if (marks) text += (n == 0 ? QString() : iconMark(rows[n - 1].icon)).leftJustified(2);
    for (qsizetype i = 0; i < lines[n].size(); ++i) {
      const bool last = i + 1 == lines[n].size();
      text += last ? lines[n][i] : lines[n][i].leftJustified(width[static_cast<size_t>(i)] + 2);
    }
    // A row with empty trailing cells ends at its last text.
    while (text.endsWith(u' ')) text.chop(1);
    out += text + u'\n';
  }
  return out;
}

QString FormatCsv(const std::vector<RowRecord>& rows, bool wide) {
  QString out;
  for (int i = 0; i < kColumns; ++i) out += key(i) + u',';
  out += kIconKey;
  if (wide) out += u',' + kInterfaceKey + u',' + kUnreachableKey;
  out += QStringLiteral("\r\n");
  for (const RowRecord& row : rows) {
    for (const QString& cell : row.cells) out += csvField(cell) + u',';
    out += csvField(row.icon);
    if (wide)
      out += u',' + csvField(cardOf(row).interfaceName) + u',' + csvField(cardOf(row).unreachable);
    out += QStringLiteral("\r\n");
  }
  return out;
}

QString FormatJson(const std::vector<RowRecord>& rows) {
  if (rows.empty()) return QStringLiteral("[]\n");
  QString out = QStringLiteral("[\n");
  const auto pair = [](const QString& name, const QString& value) {
    return jsonString(name) + QStringLiteral(": ") + jsonString(value);
  };
  for (size_t n = 0; n < rows.size(); ++n) {
    out += QStringLiteral("  {");
    for (int i = 0; i < kColumns; ++i) {
      out += pair(key(i), rows[n].cells[static_cast<size_t>(i)]) + QStringLiteral(", ");
    }
    out += pair(kIconKey, rows[n].icon);
    if (const auto& card = rows[n].card) {
      out += QStringLiteral(", ") + pair(kInterfaceKey, card->interfaceName) +
             QStringLiteral(", ") + pair(kUnreachableKey, card->unreachable);
    }
    out += n + 1 < rows.size() ? QStringLiteral("},\n") : QStringLiteral("}\n");
  }
  return out + QStringLiteral("]\n");
}

QString FormatDoctor(const std::vector<DoctorLine>& lines, OutputFormat format) {
  const auto status = [](const DoctorLine& line) {
    switch (line.verdict) {
      case Verdict::Ok:
        return QStringLiteral("ok");
      case Verdict::Fix:
        return QStringLiteral("fix");
      case Verdict::NotChecked:
        break;
    }
    return QStringLiteral("not checked");
  };
  QString out;
  switch (format) {
    case OutputFormat::Table: {
      qsizetype width = 0;
      for (const DoctorLine& line : lines) width = std::max(width, line.check.size());
      for (const DoctorLine& line : lines)
        out += line.check.leftJustified(width + 2) + printable(line.text) + u'\n';
      return out;
    }
    case OutputFormat::Csv:
      out = QStringLiteral("check,status,blocking,text\r\n");
      for (const DoctorLine& line : lines) {
        out += csvField(line.check) + u',' + status(line) + u',' +
               (line.blocking ? QStringLiteral("yes") : QStringLiteral("no")) + u',' +
               csvField(line.text) + QStringLiteral("\r\n");
      }
      return out;
    case OutputFormat::Json:
      out = QStringLiteral("[\n");
      for (size_t n = 0; n < lines.size(); ++n) {
        out += QStringLiteral("  {\"check\": %1, \"status\": %2, \"blocking\": %3, \"text\": %4}")
                   .arg(jsonString(lines[n].check), jsonString(status(lines[n])),
                        lines[n].blocking ? QStringLiteral("true") : QStringLiteral("false"),
                        jsonString(lines[n].text));
        out += n + 1 < lines.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
      }
      return out + QStringLiteral("]\n");
  }
  return out;
}

std::variant<std::vector<RowRecord>, QString> ParseJsonRows(QByteArrayView json) {
  if (json.size() > tunables::kMaxResultFileBytes) {
    return QStringLiteral("larger than %1 bytes").arg(tunables::kMaxResultFileBytes);
  }
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
  if (error.error != QJsonParseError::NoError) {
    return QStringLiteral("not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
  }
  if (!document.isArray()) return QStringLiteral("not an array of rows");
  const QJsonArray array = document.array();
  if (array.size() > tunables::kMaxResultRows) {
    return QStringLiteral("more than %1 rows").arg(tunables::kMaxResultRows);
  }
  std::vector<RowRecord> rows;
  rows.reserve(static_cast<size_t>(array.size()));
  for (qsizetype n = 0; n < array.size(); ++n) {
    const auto where = [n](const QString& what) {
      return QStringLiteral("row %1: %2").arg(n + 1).arg(what);
    };
    if (!array[n].isObject()) return where(QStringLiteral("not an object"));
    const QJsonObject object = array[n].toObject();
    RowRecord record;
    for (int i = 0; i <= kColumns; ++i) {
      const QString name = i < kColumns ? key(i) : kIconKey;
      const QJsonValue value = object.value(name);
      if (value.isUndefined() && i == 0) return where(QStringLiteral("no \"ip\""));
      if (value.isUndefined()) continue;
      if (!value.isString()) return where(QStringLiteral("\"%1\" is not a string").arg(name));
      (i < kColumns ? record.cells[static_cast<size_t>(i)] : record.icon) = value.toString();
    }
    if (!record.icon.isEmpty() && record.icon != u"add" && record.icon != u"remove") {
      return where(QStringLiteral("\"icon\" is not \"\", \"add\" or \"remove\""));
    }
    rows.push_back(std::move(record));
  }
  return rows;
}

}  // namespace velmaro::cli
