#include "identify/VendorRegistry.h"

#include <QList>
#include <QString>

#include "identify/Manufacturer.h"
#include "support/ByteLines.h"
#include "support/PrintableText.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

constexpr QByteArrayView kTxtHeader = "OUI/MA-L";
constexpr QByteArrayView kHexMark = "(hex)";
constexpr QByteArrayView kBase16Mark = "(base 16)";
constexpr QByteArrayView kCsvHeader = "Registry,Assignment,Organization Name,Organization Address";
constexpr QByteArrayView kUtf8Mark = "\xEF\xBB\xBF";
constexpr QByteArrayView kFileHeader = "Velmaro vendor file made from the IEEE MA-L registry of ";
constexpr int kCsvFields = 4;

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool allHex(QByteArrayView text) {
  for (const char c : text) {
    if (!isHexDigit(c)) return false;
  }
  return !text.isEmpty();
}

// "XX-XX-XX" from six hex digits.
QByteArray dashed(QByteArrayView sixHex) {
  const QByteArray upper = sixHex.toByteArray().toUpper();
  return upper.first(2) + '-' + upper.sliced(2, 2) + '-' + upper.sliced(4, 2);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimBlanks(QByteArrayView text) {
  while (!text.isEmpty() && isBlank(text.front())) text = text.sliced(1);
  while (!text.isEmpty() && isBlank(text.back())) text.chop(1);
  return text;
}

// The file's own bytes in a refusal, which a terminal shows: cut, and printable.
QString quoted(QByteArrayView text) {
  return QuotedText(QString::fromUtf8(text.first(qMin<qsizetype>(text.size(), 80))), u'"');
}

RegistryRead refused(int line, QString reason) {
  return {{}, RegistryFailure{line, std::move(reason)}};
}

// Typographic dashes and quotes have plain ASCII stand-ins.
char punctuationFor(char16_t c) {
  switch (c) {
    case u'\u2010':
    case u'\u2011':
    case u'\u2012':
    case u'\u2013':
    case u'\u2014':
    case u'\u2015':
    case u'\u2212':
      return '-';
    case u'\u2018':
    case u'\u2019':
    case u'\u201A':
    case u'\u2032':
      return '\'';
    case u'\u201C':
    case u'\u201D':
    case u'\u201E':
    case u'\u2033':
      return '"';
    default:
      return 0;
  }
}

// The lines of a registry with their numbers; refuses what no text registry holds.
class RegistryLines {
 public:
  explicit RegistryLines(QByteArrayView bytes) : m_bytes(bytes) {}
  bool atEnd() const { return m_at >= m_bytes.size(); }
  int number() const { return m_number; }
  // The next line without its end, or a refusal.
  std::optional<RegistryFailure> next(QByteArrayView& line) {
    ++m_number;
    const qsizetype end = m_bytes.indexOf('\n', m_at);
    if (end < 0) {
      return RegistryFailure{m_number, QStringLiteral("the file ends in the middle of a line: "
                                                      "the download was cut short")};
    }
    line = m_bytes.sliced(m_at, end - m_at);
    m_at = end + 1;
    if (line.endsWith('\r')) line.chop(1);
    if (line.size() > tunables::kMaxRegistryLine) {
      return RegistryFailure{
          m_number, QStringLiteral("a line of %1 bytes: not registry text").arg(line.size())};
    }
    if (line.contains('\0'))
      return RegistryFailure{m_number, QStringLiteral("binary data, not registry text")};
    return std::nullopt;
  }

 private:
  QByteArrayView m_bytes;
  qsizetype m_at = 0;
  int m_number = 0;
};

void addEntry(std::vector<VendorEntry>& entries, QByteArray prefix, QByteArrayView utf8Name) {
  QByteArray name = VendorNameLatin1(utf8Name);
  // An assignment without a name tells the look-up nothing.
  if (!name.isEmpty()) entries.push_back({std::move(prefix), std::move(name)});
}

// "00-22-72   (hex)\t\tName", then "002272     (base 16)\t\tName", then address lines.
RegistryRead parseText(QByteArrayView bytes) {
  RegistryLines lines(bytes);
  std::vector<VendorEntry> entries;
  QByteArray pendingPrefix;  // a "(hex)" line waiting for its "(base 16)" line
  int pendingLine = 0;
  while (!lines.atEnd()) {
    QByteArrayView line;
    if (auto failure = lines.next(line)) return {{}, failure};
    const int number = lines.number();
    const qsizetype hex = line.indexOf(kHexMark);
    const qsizetype base16 = line.indexOf(kBase16Mark);
    if (hex >= 0) {
      if (!pendingPrefix.isEmpty()) {
        return refused(pendingLine, QStringLiteral("the entry for %1 has no \"(base 16)\" line")
                                        .arg(QString::fromLatin1(pendingPrefix)));
      }
      const QByteArrayView prefix = trimBlanks(line.first(hex));
      const bool wellFormed = prefix.size() == 8 && prefix[2] == '-' && prefix[5] == '-' &&
                              allHex(prefix.first(2)) && allHex(prefix.sliced(3, 2)) &&
                              allHex(prefix.sliced(6, 2));
      if (!wellFormed) {
        return refused(number,
                       QStringLiteral("%1 is not a vendor prefix (XX-XX-XX)").arg(quoted(prefix)));
      }
      pendingPrefix = prefix.toByteArray().toUpper();
      pendingLine = number;
      addEntry(entries, pendingPrefix, line.sliced(hex + kHexMark.size()));
    } else if (base16 >= 0) {
      const QByteArrayView digits = trimBlanks(line.first(base16));
      if (pendingPrefix.isEmpty() || digits.size() != 6 || !allHex(digits) ||
          dashed(digits) != pendingPrefix) {
        return refused(
            number,
            QStringLiteral("%1 (base 16) does not follow its own (hex) line").arg(quoted(digits)));
      }
      pendingPrefix.clear();
    }
  }
  if (!pendingPrefix.isEmpty()) {
    return refused(pendingLine,
                   QStringLiteral("the file ends inside the entry for %1: the download "
                                  "was cut short")
                       .arg(QString::fromLatin1(pendingPrefix)));
  }
  return {std::move(entries), std::nullopt};
}

// RFC 4180: fields separated by commas, quoted fields may hold commas, doubled quotes and
// line ends. One record at a time, with the line it starts on.
class CsvReader {
 public:
  explicit CsvReader(QByteArrayView bytes) : m_bytes(bytes) {}
  bool atEnd() const { return m_at >= m_bytes.size(); }
  int line() const { return m_line; }

  std::optional<RegistryFailure> next(QList<QByteArray>& fields, int& startLine) {
    fields.clear();
    startLine = m_line;
    QByteArray field;
    bool inQuotes = false;
    bool wasQuoted = false;
    int quoteLine = m_line;
    qsizetype lineStart = m_at;
    while (m_at < m_bytes.size()) {
      const char c = m_bytes[m_at++];
      if (c == '\0')
        return RegistryFailure{m_line, QStringLiteral("binary data, not registry text")};
      if (m_at - lineStart > tunables::kMaxRegistryLine) {
        return RegistryFailure{m_line,
                               QStringLiteral("a line of more than %1 bytes: not registry text")
                                   .arg(tunables::kMaxRegistryLine)};
      }
      if (inQuotes) {
        if (c == '"') {
          if (m_at < m_bytes.size() && m_bytes[m_at] == '"') {
            field += '"';
            ++m_at;
          } else {
            inQuotes = false;
          }
        } else {
          if (c == '\n') {
            ++m_line;
            lineStart = m_at;
          }
          field += c;
        }
        continue;
      }
      if (c == '"') {
        if (!field.isEmpty() || wasQuoted) {
          return RegistryFailure{m_line, QStringLiteral("a quote inside an unquoted field")};
        }
        inQuotes = wasQuoted = true;
        quoteLine = m_line;
      } else if (c == ',') {
        fields.append(std::exchange(field, {}));
        wasQuoted = false;
      } else if (c == '\r' && m_at < m_bytes.size() && m_bytes[m_at] == '\n') {
        continue;  // the LF ends the record
      } else if (c == '\n') {
        fields.append(field);
        ++m_line;
        return std::nullopt;
      } else if (wasQuoted) {
        return RegistryFailure{m_line, QStringLiteral("text after a quoted field's closing quote")};
      } else {
        field += c;
      }
    }
    if (inQuotes) {
      return RegistryFailure{quoteLine,
                             QStringLiteral("a quoted field that starts here never ends: "
                                            "the download was cut short")};
    }
    return RegistryFailure{m_line, QStringLiteral("the file ends in the middle of a line: the "
                                                  "download was cut short")};
  }

 private:
  QByteArrayView m_bytes;
  qsizetype m_at = 0;
  int m_line = 1;
};

RegistryRead parseCsv(QByteArrayView bytes) {
  CsvReader reader(bytes);
  QList<QByteArray> fields;
  int line = 0;
  if (auto failure = reader.next(fields, line)) return {{}, failure};  // the header
  std::vector<VendorEntry> entries;
  while (!reader.atEnd()) {
    if (auto failure = reader.next(fields, line)) return {{}, failure};
    if (fields.size() == 1 && fields.front().isEmpty()) continue;  // an empty line
    if (fields.size() != kCsvFields) {
      return refused(
          line,
          QStringLiteral("%1 fields where the registry has %2").arg(fields.size()).arg(kCsvFields));
    }
    if (fields[0] != "MA-L") {
      return refused(line, QStringLiteral("an entry of registry %1: this reads only the MA-L "
                                          "registry (oui.csv)")
                               .arg(quoted(fields[0])));
    }
    const QByteArray assignment = trimBlanks(fields[1]).toByteArray();
    if (assignment.size() != 6 || !allHex(assignment)) {
      return refused(line,
                     QStringLiteral("%1 is not a six-digit vendor prefix").arg(quoted(assignment)));
    }
    addEntry(entries, dashed(assignment), fields[2]);
  }
  return {std::move(entries), std::nullopt};
}

}  // namespace

RegistryRead ParseIeeeRegistry(QByteArrayView bytes) {
  if (bytes.size() > tunables::kMaxRegistryBytes) {
    return refused(
        0, QStringLiteral("%1 bytes is far more than a vendor registry holds").arg(bytes.size()));
  }
  if (bytes.startsWith(kUtf8Mark)) bytes = bytes.sliced(kUtf8Mark.size());
  if (bytes.isEmpty()) return refused(1, QStringLiteral("the file is empty"));
  const qsizetype firstEnd = bytes.indexOf('\n');
  QByteArrayView first = bytes.first(firstEnd < 0 ? bytes.size() : firstEnd);
  if (first.endsWith('\r')) first.chop(1);
  RegistryRead read;
  if (first.startsWith(kCsvHeader)) {
    read = parseCsv(bytes);
  } else if (first.startsWith(kTxtHeader)) {
    read = parseText(bytes);
  } else {
    return refused(1, QStringLiteral("not the IEEE MA-L registry (oui.txt or oui.csv); it starts "
                                     "with %1")
                          .arg(quoted(trimBlanks(first))));
  }
  if (!read.failure && read.entries.empty())
    return refused(1, QStringLiteral("the registry holds no entry"));
  return read;
}

QByteArray VendorNameLatin1(QByteArrayView utf8) {
  // Composed first, so a letter followed by a combining accent becomes one Latin-1 letter.
  const QString name =
      QString::fromUtf8(utf8).normalized(QString::NormalizationForm_C).simplified();
  QString plain;
  plain.reserve(name.size());
  for (const QChar c : name) {
    if (c.unicode() <= 0xFF) {
      // The name reaches terminals, spreadsheets and the log: no escape rides along.
      plain += IsControlCharacter(c) ? QChar(u'?') : c;
      continue;
    }
    if (const char plainPunctuation = punctuationFor(c.unicode())) {
      plain += QLatin1Char(plainPunctuation);
      continue;
    }
    if (c.category() == QChar::Other_Format || c.category() == QChar::Mark_NonSpacing) {
      continue;  // zero-width spaces and stray accents carry nothing to show
    }
    if (c.isSurrogate()) {
      if (c.isHighSurrogate()) plain += u'?';
      continue;
    }
    const QString decomposed = QString(c).normalized(QString::NormalizationForm_KD);
    QString kept;
    for (const QChar d : decomposed) {
      if (d.unicode() <= 0xFF) kept += d;
    }
    plain += kept.isEmpty() ? QStringLiteral("?") : kept;
  }
  plain.replace(u'\t', u' ');
  return plain.trimmed().toLatin1();
}

QByteArray VendorFileText(const std::vector<VendorEntry>& entries, const QDate& registryDate) {
  QByteArray text;
  text.reserve(qsizetype(entries.size()) * 32 + 80);
  text += kFileHeader;
  text += registryDate.toString(Qt::ISODate).toLatin1();
  text += "\r\n";
  for (const VendorEntry& entry : entries) {
    text += entry.prefix;
    text += '\t';
    text += entry.name;
    text += "\r\n";
  }
  return text;
}

VendorFileSummary SummarizeVendorFile(QByteArrayView text) {
  VendorFileSummary summary;
  bool first = true;
  for (ByteLines lines(text); !lines.atEnd();) {
    const QByteArrayView line = lines.next();
    if (first && line.startsWith(kFileHeader)) {
      const QDate date =
          QDate::fromString(QString::fromLatin1(line.sliced(kFileHeader.size())), Qt::ISODate);
      if (date.isValid()) summary.registryDate = date;
    }
    first = false;
    const auto entry = ParseOuiLine(line);
    if (!entry) continue;
    ++summary.entries;
    summary.prefixes.insert(entry->prefix.toLatin1().toUpper());
  }
  return summary;
}

}  // namespace velmaro
