#include "cli/Formats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <array>

#include "support/Ipv4Text.h"
#include "support/PrintableText.h"
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

// A spreadsheet runs a cell that starts with one of these as a formula (a unit's
// "=HYPERLINK(...)" MAC would be a link); a leading quote makes it text. The "---" of
// "nothing found" is no formula and stays as the window shows it.
bool opensFormula(const QString& cell) {
  return !cell.isEmpty() && QStringView(u"=+-@\t\r").contains(cell.front()) && cell != u"---";
}

// A surrogate without its other half has no UTF-8 form: escaped, it reads back as it was.
bool unpairedSurrogate(const QString& text, qsizetype i) {
  if (text[i].isHighSurrogate()) return i + 1 == text.size() || !text[i + 1].isLowSurrogate();
  if (text[i].isLowSurrogate()) return i == 0 || !text[i - 1].isHighSurrogate();
  return false;
}

QString csvField(const QString& text) {
  QString cell = PrintableText(text, u"\t\r\n");
  if (opensFormula(cell)) cell.prepend(u'\'');
  const bool quote =
      cell.contains(u'"') || cell.contains(u',') || cell.contains(u'\r') || cell.contains(u'\n');
  if (!quote) return cell;
  cell.replace(u'"', QStringLiteral("\"\""));
  return u'"' + cell + u'"';
}

QString iconMark(const QString& icon) {
  if (icon == u"add") return QStringLiteral("+");
  if (icon == u"remove") return QStringLiteral("-");
  return {};
}

}  // namespace

QString JsonString(const QString& text) {
  QString out = QStringLiteral("\"");
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
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
        if (IsControlCharacter(c) || unpairedSurrogate(text, i)) {
          out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
          out += c;
        }
    }
  }
  return out + u'"';
}

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
    for (const QString& cell : row.cells) line.append(PrintableText(cell));
    if (wide)
      line << PrintableText(cardOf(row).interfaceName) << PrintableText(cardOf(row).unreachable);
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
    return JsonString(name) + QStringLiteral(": ") + JsonString(value);
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

namespace {

QString doctorStatus(const DoctorLine& line) {
  switch (line.verdict) {
    case Verdict::Ok:
      return QStringLiteral("ok");
    case Verdict::Fix:
      return QStringLiteral("fix");
    case Verdict::NotChecked:
      break;
  }
  return QStringLiteral("not checked");
}

QString doctorTable(const std::vector<DoctorLine>& lines) {
  qsizetype width = 0;
  for (const DoctorLine& line : lines) width = std::max(width, line.check.size());
  QString out;
  for (const DoctorLine& line : lines)
    out += line.check.leftJustified(width + 2) + PrintableText(line.text) + u'\n';
  return out;
}

QString doctorCsv(const std::vector<DoctorLine>& lines) {
  QString out = QStringLiteral("check,status,blocking,text\r\n");
  for (const DoctorLine& line : lines) {
    out += csvField(line.check) + u',' + doctorStatus(line) + u',' +
           (line.blocking ? QStringLiteral("yes") : QStringLiteral("no")) + u',' +
           csvField(line.text) + QStringLiteral("\r\n");
  }
  return out;
}

QString doctorJson(const std::vector<DoctorLine>& lines) {
  QString out = QStringLiteral("[\n");
  for (size_t n = 0; n < lines.size(); ++n) {
    out += QStringLiteral("  {\"check\": %1, \"status\": %2, \"blocking\": %3, \"text\": %4}")
               .arg(JsonString(lines[n].check), JsonString(doctorStatus(lines[n])),
                    lines[n].blocking ? QStringLiteral("true") : QStringLiteral("false"),
                    JsonString(lines[n].text));
    out += n + 1 < lines.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
  }
  return out + QStringLiteral("]\n");
}

// Every value of --format, the default first: a new format is its two printers and one
// line here; the option, its error text, the usage and every command follow.
constexpr std::array<OutputFormat, 3> kFormats{{
    {"table", FormatTable, doctorTable},
    {"csv", FormatCsv, doctorCsv},
    {"json", [](const std::vector<RowRecord>& rows, bool) { return FormatJson(rows); }, doctorJson},
}};

}  // namespace

std::span<const OutputFormat> OutputFormats() { return kFormats; }

const OutputFormat* FindOutputFormat(QStringView name) {
  for (const OutputFormat& format : kFormats) {
    if (name == QLatin1String(format.name)) return &format;
  }
  return nullptr;
}

QString OutputFormatNames(QStringView separator) {
  QStringList names;
  for (const OutputFormat& format : kFormats) names.append(QLatin1String(format.name));
  return names.join(separator);
}

std::variant<std::vector<RowRecord>, QString> ParseJsonRows(QByteArrayView json) {
  if (json.size() > tunables::kMaxResultFileBytes) {
    return QStringLiteral("larger than %1 bytes").arg(tunables::kMaxResultFileBytes);
  }
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
  if (error.error != QJsonParseError::NoError) {
    return QStringLiteral("not JSON (%1 at byte %2)")
        .arg(error.errorString(), QString::number(error.offset));
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
    // Only what the program itself writes: "127.0.0.1:8081/x#" would steer the page
    // request to another port and path, a name would be resolved and fetched from anywhere,
    // and "010.0.0.1" would be read as octal.
    const QString& ip = record.cells[0];
    if (const auto address = ParseDottedAddress(ip); !address || DottedAddress(*address) != ip) {
      return where(QStringLiteral("\"ip\" %1 is not a dotted IPv4 address").arg(QuotedText(ip)));
    }
    if (!record.icon.isEmpty() && record.icon != u"add" && record.icon != u"remove") {
      return where(QStringLiteral("\"icon\" is not \"\", \"add\" or \"remove\""));
    }
    rows.push_back(std::move(record));
  }
  return rows;
}

}  // namespace velmaro::cli
