// The manufacturer shown for a MAC text: the fixed rule for the maker's own address block,
// and the look-up of the vendor prefix in the optional vendor-prefix file oui.txt.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace velmaro {

class AppPaths;
class ErrorReporter;

// True when the first 8 characters of the MAC text, upper-cased, are "00-0A-2B".
bool HasMakerPrefix(QStringView mac);

// For a MAC text under the maker's prefix: "Norvikta, Inc" when the last three bytes lie
// between 0x18001 and 0x1FFFF, both included, otherwise "Etherstuff".
QString MakerPrefixRule(QStringView mac);

// One entry of oui.txt: the vendor prefix as written and the name without its blanks.
struct OuiEntry {
  QString prefix;
  QString name;
  friend bool operator==(const OuiEntry&, const OuiEntry&) = default;
};

// One line of oui.txt (Latin-1, no line end): an entry when, trimmed of blanks, it splits
// at TABs into exactly two fields and the first holds at least two "-"; otherwise nothing.
std::optional<OuiEntry> ParseOuiLine(QByteArrayView line);

// The manufacturer name for a MAC text from oui.txt (paths.ouiPath()), read afresh from
// the start for every call; the first matching entry wins. Empty when the text is shorter
// than 8 characters (the file is then not touched), when there is no file or no entry
// matches. Failures are reported to `log` as procedure "OUI_GetMFGByMAC" of the module.
QString OUI_GetMFGByMAC(const QString& mac, const AppPaths& paths, ErrorReporter& log);

// The same look-up against one given file.
QString OUI_GetMFGByMACInFile(const QString& mac, const QString& ouiPath, ErrorReporter& log);

// The manufacturer rule of the callers: the maker-prefix rule for the maker's block, the
// vendor-prefix file for every other MAC.
QString ManufacturerOf(const QString& mac, const AppPaths& paths, ErrorReporter& log);

}  // namespace velmaro
