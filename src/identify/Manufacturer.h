// The manufacturer shown for a MAC text: the fixed rule for the maker's own address block,
// and the look-up of the vendor prefix in the optional vendor-prefix file oui.txt.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

class QIODevice;

namespace velmaro {

class AppPaths;
class ErrorReporter;
class StepTrap;

// True when the first 8 characters of the MAC text, upper-cased, are "00-0A-2B".
bool HasMakerPrefix(QStringView mac);

// For a MAC text under the maker's prefix: "Norvikta, Inc" when the last three bytes lie
// between 0x18001 and 0x1FFFF, both included, otherwise "Etherstuff".
QString MakerPrefixRule(QStringView mac);

class OuiFile;

// The manufacturer a row shows for a MAC: the maker's rule for its own block, else the
// vendor file's entry (empty when there is none).
QString ManufacturerOf(OuiFile& oui, const QString& mac);

// One entry of oui.txt: the vendor prefix as written and the name without its blanks.
struct OuiEntry {
  QString prefix;
  QString name;
  friend bool operator==(const OuiEntry&, const OuiEntry&) = default;
};

// One line of oui.txt (Latin-1, no line end): an entry when, trimmed of blanks, it splits
// at TABs into exactly two fields and the first holds at least two "-"; otherwise nothing.
std::optional<OuiEntry> ParseOuiLine(QByteArrayView line);

// Everything a look-up can learn from one reading of oui.txt: the first entry of every
// prefix, upper-cased, and how the reading ended. A look-up answers from it exactly as if
// it had read the file line by line up to its first match.
class OuiTable {
 public:
  enum class Ending {
    Complete,    // read to the end
    Empty,       // the file held nothing: the first read is past its end
    ReadFailed,  // the device refused part-way; the entries before that point are kept
  };

  // Reads the device to its end. Lines end at LF (a CR before it is dropped); a line
  // longer than the longest entry is never one, and is not held in memory.
  static OuiTable read(QIODevice& device);

  // The name of the first entry whose prefix, upper-cased, equals `upperPrefix`.
  std::optional<QString> find(const QString& upperPrefix) const;
  Ending ending() const { return m_ending; }
  qsizetype entryCount() const { return qsizetype(m_packed.size()) + m_other.size(); }

 private:
  struct NameRef {
    qsizetype offset;
    qsizetype length;
  };
  struct Packed {
    quint64 key;
    NameRef name;
  };
  void add(QByteArrayView prefix, QByteArrayView name);
  void seal();
  QString nameAt(NameRef ref) const;

  // Eight ASCII characters, the shape of every real prefix, packed into one number and
  // sorted by it, the first entry of a prefix alone kept; any other key (never in the
  // registry) by its text.
  std::vector<Packed> m_packed;
  QHash<QString, NameRef> m_other;
  QByteArray m_names;  // every kept name, Latin-1, back to back
  Ending m_ending = Ending::Complete;
};

// The look-up's answer for a MAC text from a table of the file, from step 50 on: the first
// match, or empty text after reporting, at step 100, a reading that ended in a failure.
QString OuiAnswer(const OuiTable& table, const QString& mac, StepTrap& trap);

// The data module's vendor-prefix file. A look-up reads oui.txt only when the file it finds
// is not the one it read last (another path, size or modification time), so a changed or
// replaced file is used at the very next look-up and an unchanged one is never read twice. Failures
// are reported to `log` as procedure "OUI_GetMFGByMAC" of the module, at every look-up they
// concern, as a fresh reading would report them.
class OuiFile {
 public:
  OuiFile(ErrorReporter& log, const AppPaths& paths);
  ~OuiFile();
  OuiFile(const OuiFile&) = delete;
  OuiFile& operator=(const OuiFile&) = delete;

  // The manufacturer name for a MAC text from oui.txt (paths.ouiPath()); the first
  // matching entry wins. Empty when the text is shorter than 8 characters (the file is then
  // not touched), when there is no file or no entry matches.
  QString OUI_GetMFGByMAC(const QString& mac);

  // The same look-up against one given file.
  QString lookUpInFile(const QString& mac, const QString& path);

 private:
  struct Identity {
    QString path;
    qint64 size = 0;
    qint64 modified = 0;  // the file system's own count, to its own precision
    friend bool operator==(const Identity&, const Identity&) = default;
  };
  QString lookUp(const QString& mac, const QString& path, StepTrap& trap);

  ErrorReporter& m_log;
  const AppPaths& m_paths;
  std::optional<Identity> m_readFrom;  // the file m_table holds; none when it holds nothing
  OuiTable m_table;
};

// The same look-up, reading the given file once, for a single answer.
QString OUI_GetMFGByMACInFile(const QString& mac, const QString& ouiPath, ErrorReporter& log);

// The manufacturer rule of the callers: the maker-prefix rule for the maker's block, the
// vendor-prefix file for every other MAC.
QString ManufacturerOf(const QString& mac, OuiFile& oui);

}  // namespace velmaro
