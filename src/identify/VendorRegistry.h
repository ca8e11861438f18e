// The IEEE's vendor registry (MA-L, as oui.txt or oui.csv) read into vendor entries, and
// the program's own vendor file written from them: pure over bytes, so every damaged
// download can be tried in a test.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QSet>
#include <QString>
#include <optional>
#include <vector>

namespace velmaro {

struct VendorEntry {
  QByteArray prefix;  // "XX-XX-XX", upper case
  QByteArray name;    // Latin-1, no TAB, trimmed
  friend bool operator==(const VendorEntry&, const VendorEntry&) = default;
};

struct RegistryFailure {
  int line = 0;  // 1-based; 0 when the refusal concerns the whole file
  QString reason;
};

struct RegistryRead {
  std::vector<VendorEntry> entries;        // in the registry's order
  std::optional<RegistryFailure> failure;  // set: the file is refused, entries are empty
};

// Reads the MA-L registry in either of the IEEE's layouts, told apart by the first line.
// Refuses, with the line, anything that is not the whole registry: another file, another
// registry (MA-M, MA-S), a malformed entry, binary data, an overlong line, a file cut off
// in the middle of a line, of a quoted field or of an entry, or one without entries.
RegistryRead ParseIeeeRegistry(QByteArrayView bytes);

// A vendor name as the vendor file holds it: Latin-1; characters beyond it lose their
// accents or take a plain stand-in, and what remains becomes "?"; line breaks and TABs
// become spaces, other control characters "?".
QByteArray VendorNameLatin1(QByteArrayView utf8);

// The program's vendor file: a first line naming the registry's date (the look-up skips it,
// having no TAB), then one "XX-XX-XX<TAB>name" line per entry, CR LF ends.
QByteArray VendorFileText(const std::vector<VendorEntry>& entries, const QDate& registryDate);

// What a vendor file holds: its entries' count and prefixes, and the registry date from
// its first line when it names one.
struct VendorFileSummary {
  int entries = 0;
  QSet<QByteArray> prefixes;  // upper case
  std::optional<QDate> registryDate;
};
VendorFileSummary SummarizeVendorFile(QByteArrayView text);

}  // namespace velmaro
