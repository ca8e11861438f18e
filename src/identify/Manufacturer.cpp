#include "identify/Manufacturer.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <filesystem>
#include <system_error>

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

constexpr qsizetype kPackedKeyLength = 8;  // "00-1B-21": every real prefix

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// An upper-cased key of eight ASCII characters as one number; nothing for any other key.
std::optional<quint64> packedKey(QByteArrayView upper) {
  if (upper.size() != kPackedKeyLength) return std::nullopt;
  quint64 key = 0;
  for (const char c : upper) {
    if (static_cast<unsigned char>(c) > 0x7F) return std::nullopt;
    key = (key << 8) | static_cast<unsigned char>(c);
  }
  return key;
}

std::optional<quint64> packedKey(const QString& upper) {
  if (upper.size() != kPackedKeyLength) return std::nullopt;
  quint64 key = 0;
  for (const QChar c : upper) {
    if (c.unicode() > 0x7F) return std::nullopt;
    key = (key << 8) | c.unicode();
  }
  return key;
}

bool isAscii(QByteArrayView text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= 0x7F; });
}

enum class Reading { Lines, Nothing, Failed };

// Calls `take` with every line of the device (LF ends a line, a CR before it is dropped,
// a last line without an end still counts) and whether it was too long to be an entry;
// of such a line only its start is passed.
template <class Take>
Reading forEachLine(QIODevice& device, Take&& take) {
  QByteArray chunk(tunables::kOuiReadChunk, Qt::Uninitialized);
  QByteArray pending;  // the start of a line that runs on into the next chunk
  bool overlong = false;
  // Room for the longest entry and the CR before its LF.
  constexpr qsizetype kHeld = tunables::kMaxOuiLine + 1;
  auto finish = [&](QByteArrayView line) {
    if (line.endsWith('\r')) line.chop(1);
    take(line, overlong || line.size() > tunables::kMaxOuiLine);
    pending.clear();
    overlong = false;
  };
  bool any = false;
  for (;;) {
    const qint64 got = device.read(chunk.data(), chunk.size());
    if (got < 0) return Reading::Failed;
    if (got == 0) break;
    any = true;
    const QByteArrayView data(chunk.constData(), qsizetype(got));
    qsizetype pos = 0;
    while (pos < data.size()) {
      const qsizetype lf = data.indexOf('\n', pos);
      const QByteArrayView piece = data.sliced(pos, (lf < 0 ? data.size() : lf) - pos);
      if (!overlong && pending.size() + piece.size() > kHeld) {
        overlong = true;
        pending.clear();
      }
      if (lf < 0) {
        if (!overlong) pending.append(piece);
        break;
      }
      if (pending.isEmpty() && !overlong) {
        finish(piece);
      } else {
        if (!overlong) pending.append(piece);
        finish(pending);
      }
      pos = lf + 1;
    }
  }
  if (!pending.isEmpty() || overlong) finish(pending);
  return any ? Reading::Lines : Reading::Nothing;
}

}  // namespace

OuiTable OuiTable::read(QIODevice& device) {
  OuiTable table;
  const Reading reading = forEachLine(device, [&](QByteArrayView line, bool overlong) {
    if (overlong || line.isEmpty()) return;                                          // 110
    if (const auto entry = splitEntry(line)) table.add(entry->prefix, entry->name);  // 120 to 160
  });
  table.seal();
  if (reading == Reading::Failed) table.m_ending = Ending::ReadFailed;
  if (reading == Reading::Nothing) table.m_ending = Ending::Empty;
  return table;
}

void OuiTable::add(QByteArrayView prefix, QByteArrayView name) {
  const NameRef ref{m_names.size(), name.size()};
  if (isAscii(prefix)) {
    char upper[kPackedKeyLength];
    if (prefix.size() == kPackedKeyLength) {
      for (qsizetype i = 0; i < kPackedKeyLength; ++i) upper[i] = upperAscii(prefix[i]);
      m_packed.push_back({*packedKey(QByteArrayView(upper, kPackedKeyLength)), ref});
      m_names.append(name);
      return;
    }
  }
  // Upper-casing other Latin-1 text can change its length ("\xDF" becomes "SS").
  const QString upper = QString::fromLatin1(prefix).toUpper();
  if (const auto key = packedKey(upper)) {
    m_packed.push_back({*key, ref});
  } else {
    if (m_other.contains(upper)) return;  // the first entry of a prefix wins
    m_other.insert(upper, ref);
  }
  m_names.append(name);
}

// Sorts the packed entries by key, keeping of each key the one read first.
void OuiTable::seal() {
  // Names lie in reading order, so their offsets tell which entry came first.
  const auto byKey = [](const Packed& a, const Packed& b) {
    return a.key < b.key || (a.key == b.key && a.name.offset < b.name.offset);
  };
  std::sort(m_packed.begin(), m_packed.end(), byKey);
  const auto sameKey = [](const Packed& a, const Packed& b) { return a.key == b.key; };
  m_packed.erase(std::unique(m_packed.begin(), m_packed.end(), sameKey), m_packed.end());
  m_packed.shrink_to_fit();
}

QString OuiTable::nameAt(NameRef ref) const {
  return QString::fromLatin1(m_names.constData() + ref.offset, ref.length);
}

std::optional<QString> OuiTable::find(const QString& upperPrefix) const {
  if (const auto key = packedKey(upperPrefix)) {
    const auto it = std::lower_bound(m_packed.begin(), m_packed.end(), *key,
                                     [](const Packed& p, quint64 k) { return p.key < k; });
    if (it != m_packed.end() && it->key == *key) return nameAt(it->name);
    return std::nullopt;
  }
  const auto it = m_other.constFind(upperPrefix);
  if (it != m_other.cend()) return nameAt(*it);
  return std::nullopt;
}

QString OuiAnswer(const OuiTable& table, const QString& mac, StepTrap& trap) {
  QString prefix;
  trap.step(50, [&] { prefix = mac.left(8).toUpper(); });
  // A match before the point where reading stopped is found before that point is reached.
  if (const auto name = table.find(prefix)) return *name;  // 150, 160
  switch (table.ending()) {
    case OuiTable::Ending::Empty:
      trap.step(100, [] { throw err::inputPastEnd(); });
      break;
    case OuiTable::Ending::ReadFailed:
      // Reported like any failing step; reading on would only fail again.
      trap.step(100, [] { throw err::deviceIo(); });
      break;
    case OuiTable::Ending::Complete:
      break;
  }
  return {};  // 260
}

OuiFile::OuiFile(ErrorReporter& log, const AppPaths& paths) : m_log(log), m_paths(paths) {}
OuiFile::~OuiFile() = default;

QString OuiFile::lookUp(const QString& mac, const QString& path, StepTrap& trap) {
  const QFileInfo info(path);
  if (!(info.exists() && info.isFile())) return {};  // 60 (FileExists)
  // The modification time to the file system's own precision, and without the conversion
  // to local time that a QDateTime costs: this check runs on every look-up.
  std::error_code unreadable;
  // The path in the system's own encoding (UTF-16 on Windows), never an 8-bit code page
  // that cannot spell every user's name.
  const auto modified = std::filesystem::last_write_time(info.filesystemFilePath(), unreadable);
  const Identity found{path, info.size(), unreadable ? 0 : modified.time_since_epoch().count()};
  if (unreadable || m_readFrom != found) {
    m_readFrom.reset();
    m_table = {};
    const qint64 readingStarts = QDateTime::currentMSecsSinceEpoch();
    QFile file(path);
    bool opened = false;
    trap.step(80, [&] {  // 70, 80
      if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) throw err::pathFileAccess();
      opened = true;
    });
    // A file that cannot be opened has no line to read: the look-up ends here.
    if (!opened) return {};
    m_table = OuiTable::read(file);  // 100 to 220
    file.close();                    // 230
    // A file written just before it was read can be written again within the same tick of
    // the file system's clock, same size and same times: only a file that had settled is
    // taken as unchanged later. A failed reading is tried afresh by the next look-up.
    const bool settled =
        info.lastModified().toMSecsSinceEpoch() < readingStarts - tunables::kOuiSettledMs;
    if (settled && m_table.ending() != OuiTable::Ending::ReadFailed) m_readFrom = found;
  }
  return OuiAnswer(m_table, mac, trap);
}

QString OuiFile::OUI_GetMFGByMAC(const QString& mac) {
  StepTrap trap(m_log, QStringLiteral("OUI_GetMFGByMAC"), Container::Module);
  if (mac.size() < 8) return {};  // 20, 30
  QString path;
  trap.step(40, [&] { path = m_paths.ouiPath(); });
  return lookUp(mac, path, trap);
}

QString OuiFile::lookUpInFile(const QString& mac, const QString& path) {
  StepTrap trap(m_log, QStringLiteral("OUI_GetMFGByMAC"), Container::Module);
  if (mac.size() < 8) return {};
  return lookUp(mac, path, trap);
}

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

QString ManufacturerOf(OuiFile& oui, const QString& mac) {
  return HasMakerPrefix(mac) ? MakerPrefixRule(mac) : oui.OUI_GetMFGByMAC(mac);
}

std::optional<OuiEntry> ParseOuiLine(QByteArrayView line) {
  if (line.size() > tunables::kMaxOuiLine) return std::nullopt;
  const auto entry = splitEntry(line);
  if (!entry) return std::nullopt;
  return OuiEntry{QString::fromLatin1(entry->prefix), QString::fromLatin1(entry->name)};
}

QString OUI_GetMFGByMACInFile(const QString& mac, const QString& ouiPath, ErrorReporter& log) {
  const AppPaths none{QString(), QString(), QString()};
  return OuiFile(log, none).lookUpInFile(mac, ouiPath);
}

QString ManufacturerOf(const QString& mac, OuiFile& oui) {
  return HasMakerPrefix(mac) ? MakerPrefixRule(mac) : oui.OUI_GetMFGByMAC(mac);
}

}  // namespace velmaro
