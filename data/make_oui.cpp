// Build-time tool: turns the IEEE vendor registry (lines such as
// "00-22-72   (hex)\t\tAmerican Micro-Fuel Device Corp.") into the shipped oui.txt: one
// "XX-XX-XX" TAB name line per vendor, CR LF line ends, Latin-1 text.
#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <cstdio>

namespace {

constexpr QByteArrayView kHexMark = "(hex)";

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// "XX-XX-XX" at the start of the line, upper-cased; empty when the line has none.
QByteArray prefixOf(QByteArrayView line) {
  if (line.size() < 8) return {};
  for (int i = 0; i < 8; ++i) {
    const bool dash = i == 2 || i == 5;
    if (dash ? line[i] != '-' : !isHexDigit(line[i])) return {};
  }
  return line.first(8).toByteArray().toUpper();
}

// Typographic dashes and quotes have plain ASCII stand-ins.
char punctuationFor(char16_t c) {
  switch (c) {
    case u'\u2010': case u'\u2011': case u'\u2012': case u'\u2013': case u'\u2014':
    case u'\u2015': case u'\u2212':
      return '-';
    case u'\u2018': case u'\u2019': case u'\u201A': case u'\u2032':
      return '\'';
    case u'\u201C': case u'\u201D': case u'\u201E': case u'\u2033':
      return '"';
    default:
      return 0;
  }
}

// The name in Latin-1: characters beyond it lose their accents or take their plain
// compatibility form (a full-width comma becomes ","), and what remains becomes "?".
// TABs become spaces, since a TAB separates the fields of the file.
QByteArray latin1Name(QByteArrayView utf8) {
  // Composed first, so a letter followed by a combining accent becomes one Latin-1 letter.
  const QString name =
      QString::fromUtf8(utf8).normalized(QString::NormalizationForm_C).simplified();
  QString plain;
  plain.reserve(name.size());
  for (const QChar c : name) {
    if (c.unicode() <= 0xFF) {
      plain += c;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_oui <IEEE oui.txt> <output oui.txt>\n");
    return 2;
  }
  QFile in(QString::fromLocal8Bit(argv[1]));
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "make_oui: cannot read %s\n", argv[1]);
    return 1;
  }
  QSaveFile out(QString::fromLocal8Bit(argv[2]));
  if (!out.open(QIODevice::WriteOnly)) {
    std::fprintf(stderr, "make_oui: cannot write %s\n", argv[2]);
    return 1;
  }

  const QByteArray registry = in.readAll();
  QByteArray result;
  result.reserve(registry.size() / 4);
  int entries = 0;
  const QByteArrayView all(registry);
  for (qsizetype at = 0; at < all.size();) {
    qsizetype end = all.indexOf('\n', at);
    if (end < 0) end = all.size();
    QByteArrayView line = all.sliced(at, end - at);
    at = end + 1;
    if (line.endsWith('\r')) line.chop(1);
    const QByteArray prefix = prefixOf(line);
    if (prefix.isEmpty()) continue;
    const qsizetype mark = line.indexOf(kHexMark, 8);
    if (mark < 0) continue;
    const QByteArray name = latin1Name(line.sliced(mark + kHexMark.size()));
    if (name.isEmpty()) continue;
    result += prefix;
    result += '\t';
    result += name;
    result += "\r\n";
    ++entries;
  }
  if (entries == 0) {
    std::fprintf(stderr, "make_oui: no vendor entries in %s\n", argv[1]);
    return 1;
  }
  if (out.write(result) != result.size() || !out.commit()) {
    std::fprintf(stderr, "make_oui: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("make_oui: %d vendor entries\n", entries);
  return 0;
}
