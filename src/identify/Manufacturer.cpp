#include "identify/Manufacturer.h"

#include <QFile>
#include <algorithm>
#include <array>

#include "support/AppPaths.h"
#include "support/ErrorLog.h"
#include "support/Numbers.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

constexpr QStringView kMakerPrefix = u"00-0A-2B";
constexpr std::uint64_t kMakerFirstSerial = 0x18001;  // 0x18000 is not one of ours
constexpr std::uint64_t kMakerLastSerial = 0x1FFFF;

// The two fields of an entry line, still as bytes of the file.
struct EntryView {
  QByteArrayView prefix;
  QByteArrayView name;
};

// Blanks are spaces: a TAB is a field separator, never padding.
QByteArrayView trimBlanks(QByteArrayView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text[begin] == ' ') ++begin;
  while (end > begin && text[end - 1] == ' ') --end;
  return text.sliced(begin, end - begin);
}

std::optional<EntryView> splitEntry(QByteArrayView line) {
  const QByteArrayView trimmed = trimBlanks(line);
  const qsizetype tab = trimmed.indexOf('\t');
  if (tab < 0) return std::nullopt;
  const QByteArrayView rest = trimmed.sliced(tab + 1);
  if (rest.contains('\t')) return std::nullopt;  // three fields or more
  const QByteArrayView prefix = trimmed.first(tab);
  if (prefix.count('-') < 2) return std::nullopt;
  return EntryView{prefix, trimBlanks(rest)};
}

bool isAscii(QByteArrayView text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) > 0x7F) return false;
  }
  return true;
}

// The entry's prefix, upper-cased, against the upper-cased prefix of the MAC text. The
// registry is ASCII; other Latin-1 text takes the slow, exact road.
bool prefixMatches(QByteArrayView entryPrefix, const QString& macPrefix, bool macPrefixAscii) {
  if (macPrefixAscii && isAscii(entryPrefix)) {
    if (entryPrefix.size() != macPrefix.size()) return false;
    for (qsizetype i = 0; i < entryPrefix.size(); ++i) {
      char c = entryPrefix[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (QChar::fromLatin1(c) != macPrefix[i]) return false;
    }
    return true;
  }
  return QString::fromLatin1(entryPrefix).toUpper() == macPrefix;
}

// One line of at most kMaxOuiLine bytes, without its line end. A longer line is read to
// its end and reported as overlong, so it can never be taken for an entry.
struct BoundedLine {
  QByteArrayView text;
  bool overlong = false;
  bool unreadable = false;  // the file refused to give more: there is no further line
};

class LineReader {
 public:
  explicit LineReader(QFile& file) : m_file(file) {}

  BoundedLine next() {
    const qint64 got = m_file.readLine(m_buffer.data(), qint64(m_buffer.size()));
    if (got <= 0) return {{}, false, true};
    qsizetype length = qsizetype(got);
    if (m_buffer[length - 1] != '\n') {
      if (length >= qsizetype(m_buffer.size()) - 1 && !m_file.atEnd()) {
        skipRestOfLine();
        return {{}, true};
      }
    } else {
      --length;
    }
    if (length > 0 && m_buffer[length - 1] == '\r') --length;
    return {QByteArrayView(m_buffer.data(), length), false};
  }

 private:
  void skipRestOfLine() {
    while (!m_file.atEnd()) {
      const qint64 got = m_file.readLine(m_buffer.data(), qint64(m_buffer.size()));
      if (got <= 0 || m_buffer[got - 1] == '\n') return;
    }
  }

  QFile& m_file;
  // Room for the longest entry, its CR LF and the terminating NUL readLine writes.
  std::array<char, tunables::kMaxOuiLine + 3> m_buffer{};
};

// The look-up from step 50 on, once the file's path is known (steps 20 to 40 done).
QString lookUp(const QString& mac, const QString& path, StepTrap& trap) {
  QString result;
  const QString prefix = mac.left(8).toUpper();                        // 50
  if (!FileExists(path)) return result;                                // 60
  QFile file(path);
  bool opened = false;
  trap.step(80, [&] {                                                  // 70, 80
    if (!file.open(QIODevice::ReadOnly)) throw err::pathFileAccess();
    opened = true;
  });
  // A file that cannot be opened has no end to reach: stop here rather than loop.
  if (!opened) return result;

  const bool prefixAscii =
      std::all_of(prefix.cbegin(), prefix.cend(), [](QChar c) { return c.unicode() < 0x80; });
  LineReader reader(file);
  do {
    BoundedLine line;
    trap.step(100, [&] {
      if (file.atEnd()) throw err::inputPastEnd();
      line = reader.next();
    });
    // A read error would never reach the end of the file: it ends the search instead.
    if (line.unreadable) break;
    if (line.text.isEmpty() || line.overlong) continue;               // 110
    const auto entry = splitEntry(line.text);                          // 120 to 140
    if (!entry) continue;
    if (!prefixMatches(entry->prefix, prefix, prefixAscii)) continue;  // 150
    result = QString::fromLatin1(entry->name);                         // 160
    break;
  } while (!file.atEnd());                                             // 220
  file.close();                                                        // 230
  return result;                                                       // 260
}

}  // namespace

bool HasMakerPrefix(QStringView mac) {
  return mac.first(qMin<qsizetype>(8, mac.size())).toString().toUpper() == kMakerPrefix;
}

QString MakerPrefixRule(QStringView mac) {
  QString serialText = mac.last(qMin<qsizetype>(8, mac.size())).toString();
  serialText.remove(QLatin1Char('-'));
  const std::uint64_t serial = LeadingHexValue(serialText);
  if (serial >= kMakerFirstSerial && serial <= kMakerLastSerial) {
    return QStringLiteral("Norvikta, Inc");
  }
  return QStringLiteral("Etherstuff");
}

std::optional<OuiEntry> ParseOuiLine(QByteArrayView line) {
  if (line.size() > tunables::kMaxOuiLine) return std::nullopt;
  const auto entry = splitEntry(line);
  if (!entry) return std::nullopt;
  return OuiEntry{QString::fromLatin1(entry->prefix), QString::fromLatin1(entry->name)};
}

QString OUI_GetMFGByMAC(const QString& mac, const AppPaths& paths, ErrorReporter& log) {
  StepTrap trap(log, QStringLiteral("OUI_GetMFGByMAC"), Container::Module);
  if (mac.size() < 8) return {};                                       // 20, 30
  QString path;
  trap.step(40, [&] { path = paths.ouiPath(); });
  return lookUp(mac, path, trap);
}

QString OUI_GetMFGByMACInFile(const QString& mac, const QString& ouiPath, ErrorReporter& log) {
  StepTrap trap(log, QStringLiteral("OUI_GetMFGByMAC"), Container::Module);
  if (mac.size() < 8) return {};
  return lookUp(mac, ouiPath, trap);
}

QString ManufacturerOf(const QString& mac, const AppPaths& paths, ErrorReporter& log) {
  return HasMakerPrefix(mac) ? MakerPrefixRule(mac) : OUI_GetMFGByMAC(mac, paths, log);
}

}  // namespace velmaro
