#include "cli/Formats.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <algorithm>
#include <array>
#include <optional>

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
const QString kSeenKey = QStringLiteral("seen");
const QString kConflictKey = QStringLiteral("conflict");

// The columns --wide adds, after the icon.
QStringList wideKeys() { return {kInterfaceKey, kUnreachableKey, kSeenKey, kConflictKey}; }

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

namespace {

QStringList wideCells(const RowRecord& row) {
  return {cardOf(row).interfaceName, cardOf(row).unreachable, row.seen.keys().join(u' '),
          row.conflict.join(u' ')};
}

QString jsonMember(const QString& name, const QString& value) {
  return JsonString(name) + QStringLiteral(": ") + value;
}

// An array of objects, one a line, each given as its members' texts.
QString jsonObjects(const std::vector<QStringList>& objects) {
  if (objects.empty()) return QStringLiteral("[]\n");
  QString out = QStringLiteral("[\n");
  for (size_t n = 0; n < objects.size(); ++n) {
    out += QStringLiteral("  {") + objects[n].join(QStringLiteral(", ")) +
           (n + 1 < objects.size() ? QStringLiteral("},\n") : QStringLiteral("}\n"));
  }
  return out + QStringLiteral("]\n");
}

QString jsonList(const QStringList& texts) {
  QStringList items;
  for (const QString& text : texts) items.append(JsonString(text));
  return u'[' + items.join(QStringLiteral(", ")) + u']';
}

// Lines of cells as aligned columns, each two spaces wider than its widest cell, a line
// ending at its last text; `marks`, when given, a column of its own before the first.
QString alignedColumns(const std::vector<QStringList>& lines, const QStringList& marks = {}) {
  std::vector<qsizetype> width;
  for (const auto& line : lines) {
    width.resize(std::max(width.size(), static_cast<size_t>(line.size())), 0);
    for (qsizetype i = 0; i < line.size(); ++i)
      width[static_cast<size_t>(i)] = std::max(width[static_cast<size_t>(i)], line[i].size());
  }
  QString out;
  for (size_t n = 0; n < lines.size(); ++n) {
    QString text;
    if (!marks.isEmpty()) text += marks[static_cast<qsizetype>(n)].leftJustified(2);
    for (qsizetype i = 0; i < lines[n].size(); ++i) {
      const bool last = i + 1 == lines[n].size();
      text += last ? lines[n][i] : lines[n][i].leftJustified(width[static_cast<size_t>(i)] + 2);
    }
    while (text.endsWith(u' ')) text.chop(1);
    out += text + u'\n';
  }
  return out;
}

}  // namespace

QString FormatTable(const std::vector<RowRecord>& rows, bool wide) {
  const bool marked =
      std::any_of(rows.begin(), rows.end(), [](const RowRecord& r) { return !r.icon.isEmpty(); });
  std::vector<QStringList> lines;
  QStringList header;
  for (int i = 0; i < kColumns; ++i) {
    header.append(QLatin1String(ResultList::columns()[static_cast<size_t>(i)].header));
  }
  if (wide) header << wideKeys();
  lines.push_back(header);
  QStringList marks{QString()};
  for (const RowRecord& row : rows) {
    QStringList line;
    for (const QString& cell : row.cells) line.append(PrintableText(cell));
    if (wide) {
      for (const QString& cell : wideCells(row)) line.append(PrintableText(cell));
    }
    lines.push_back(line);
    marks.append(iconMark(row.icon));
  }
  return alignedColumns(lines, marked ? marks : QStringList());
}

QString FormatCsv(const std::vector<RowRecord>& rows, bool wide) {
  QString out;
  for (int i = 0; i < kColumns; ++i) out += key(i) + u',';
  out += kIconKey;
  if (wide) out += u',' + wideKeys().join(u',');
  out += QStringLiteral("\r\n");
  for (const RowRecord& row : rows) {
    for (const QString& cell : row.cells) out += csvField(cell) + u',';
    out += csvField(row.icon);
    if (wide) {
      for (const QString& cell : wideCells(row)) out += u',' + csvField(cell);
    }
    out += QStringLiteral("\r\n");
  }
  return out;
}

QString FormatJson(const std::vector<RowRecord>& rows) {
  std::vector<QStringList> objects;
  objects.reserve(rows.size());
  for (const RowRecord& row : rows) {
    QStringList members;
    for (int i = 0; i < kColumns; ++i)
      members.append(jsonMember(key(i), JsonString(row.cells[static_cast<size_t>(i)])));
    members.append(jsonMember(kIconKey, JsonString(row.icon)));
    if (const auto& card = row.card) {
      members.append(jsonMember(kInterfaceKey, JsonString(card->interfaceName)));
      members.append(jsonMember(kUnreachableKey, JsonString(card->unreachable)));
    }
    members.append(jsonMember(kSeenKey, jsonList(row.seen.keys())));
    if (!row.conflict.isEmpty()) members.append(jsonMember(kConflictKey, jsonList(row.conflict)));
    objects.push_back(std::move(members));
  }
  return jsonObjects(objects);
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

// A change's fields in the order of its columns.
QStringList changeFields(const HostChange& c) {
  return {changeKey(c.kind), c.ip, c.mac, c.mfg, c.name, c.before, c.after};
}
const QStringList kChangeKeys{QStringLiteral("change"), QStringLiteral("ip"),
                              QStringLiteral("mac"),    QStringLiteral("mfg"),
                              QStringLiteral("name"),   QStringLiteral("before"),
                              QStringLiteral("after")};

QString diffTable(const std::vector<HostChange>& changes) {
  const auto header = [](int column) {
    return QLatin1String(ResultList::columns()[static_cast<size_t>(column)].header);
  };
  std::vector<QStringList> lines{{QStringLiteral("Change"), header(0), header(3), header(4),
                                  header(5), QStringLiteral("Before"), QStringLiteral("After")}};
  for (const HostChange& change : changes) {
    QStringList line;
    for (const QString& field : changeFields(change)) line.append(PrintableText(field));
    lines.push_back(line);
  }
  return alignedColumns(lines);
}

QString diffCsv(const std::vector<HostChange>& changes) {
  QString out = kChangeKeys.join(u',') + QStringLiteral("\r\n");
  for (const HostChange& change : changes) {
    QStringList line;
    for (const QString& field : changeFields(change)) line.append(csvField(field));
    out += line.join(u',') + QStringLiteral("\r\n");
  }
  return out;
}

QString diffJson(const std::vector<HostChange>& changes) {
  std::vector<QStringList> objects;
  for (const HostChange& change : changes) {
    const QStringList fields = changeFields(change);
    QStringList members;
    for (qsizetype i = 0; i < fields.size(); ++i)
      members.append(jsonMember(kChangeKeys[i], JsonString(fields[i])));
    objects.push_back(std::move(members));
  }
  return jsonObjects(objects);
}

// Every value of --format, the default first: a new format is its two printers and one
// line here; the option, its error text, the usage and every command follow.
constexpr std::array<OutputFormat, 3> kFormats{{
    {"table", FormatTable, doctorTable, diffTable},
    {"csv", FormatCsv, doctorCsv, diffCsv},
    {"json", [](const std::vector<RowRecord>& rows, bool) { return FormatJson(rows); }, doctorJson,
     diffJson},
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

namespace {

// The line (from 1) of a byte of the text.
qsizetype lineAt(QByteArrayView text, qsizetype offset) {
  const QByteArrayView before = text.first(std::clamp<qsizetype>(offset, 0, text.size()));
  return std::count(before.begin(), before.end(), '\n') + 1;
}

// Where the n-th element (from 0) of the outer array of valid JSON starts.
qsizetype elementStart(QByteArrayView json, qsizetype n) {
  int depth = 0;
  bool inString = false;
  bool escaped = false;
  bool expecting = false;  // the next value at depth 1 starts an element
  qsizetype element = -1;
  for (qsizetype i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (inString) {
      if (escaped) {
        escaped = false;
      } else if (c == '\\') {
        escaped = true;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (depth == 1 && expecting) {
      expecting = false;
      if (++element == n) return i;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      expecting = ++depth == 1;
    } else if (c == ']' || c == '}') {
      --depth;
    } else if (c == ',' && depth == 1) {
      expecting = true;
    }
  }
  return 0;
}

// An optional list of texts: absent is empty (files written before the key existed).
std::optional<QStringList> textList(const QJsonValue& value) {
  QStringList texts;
  if (value.isUndefined()) return texts;
  if (!value.isArray()) return std::nullopt;
  for (const QJsonValue& item : value.toArray()) {
    if (!item.isString()) return std::nullopt;
    texts.append(item.toString());
  }
  return texts;
}

}  // namespace

std::variant<std::vector<RowRecord>, QString> ParseJsonRows(QByteArrayView json) {
  if (json.size() > tunables::kMaxResultFileBytes) {
    return QStringLiteral("larger than %1 bytes").arg(tunables::kMaxResultFileBytes);
  }
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
  if (error.error != QJsonParseError::NoError) {
    return QStringLiteral("line %1: not JSON (%2 at byte %3)")
        .arg(QString::number(lineAt(json, error.offset)), error.errorString(),
             QString::number(error.offset));
  }
  if (!document.isArray()) return QStringLiteral("not an array of rows");
  const QJsonArray array = document.array();
  if (array.size() > tunables::kMaxResultRows) {
    return QStringLiteral("more than %1 rows").arg(tunables::kMaxResultRows);
  }
  std::vector<RowRecord> rows;
  rows.reserve(static_cast<size_t>(array.size()));
  for (qsizetype n = 0; n < array.size(); ++n) {
    const auto where = [n, json](const QString& what) {
      return QStringLiteral("row %1 (line %2): %3")
          .arg(QString::number(n + 1), QString::number(lineAt(json, elementStart(json, n))), what);
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
    // What answered, and the other claims on the address; evidence of a kind this
    // program does not know (a newer one wrote it) is left out.
    const auto seen = textList(object.value(kSeenKey));
    const auto conflict = textList(object.value(kConflictKey));
    if (!seen || !conflict) {
      return where(
          QStringLiteral("\"%1\" is not an array of strings").arg(seen ? kConflictKey : kSeenKey));
    }
    for (const QString& word : *seen) record.seen.addKey(word);
    record.conflict = *conflict;
    rows.push_back(std::move(record));
  }
  return rows;
}

}  // namespace velmaro::cli
