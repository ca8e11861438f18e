// Build-time tool: turns the IEEE vendor registry (lines such as
// "00-22-72   (hex)\t\tAmerican Micro-Fuel Device Corp.") into the shipped oui.txt: a line
// naming the registry's date, then one "XX-XX-XX" TAB name line per vendor, CR LF line
// ends, Latin-1 text. Lenient where the user's import is strict: a line it cannot use is
// skipped, since the build's registry is the distribution's, not a download.
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <cstdio>
#include <vector>

#include "identify/VendorRegistry.h"

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
  std::vector<velmaro::VendorEntry> entries;
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
    QByteArray name = velmaro::VendorNameLatin1(line.sliced(mark + kHexMark.size()));
    if (name.isEmpty()) continue;
    entries.push_back({prefix, std::move(name)});
  }
  if (entries.empty()) {
    std::fprintf(stderr, "make_oui: no vendor entries in %s\n", argv[1]);
    return 1;
  }
  const QDate registryDate = QFileInfo(in).lastModified().toUTC().date();
  const QByteArray result = velmaro::VendorFileText(entries, registryDate);
  if (out.write(result) != result.size() || !out.commit()) {
    std::fprintf(stderr, "make_oui: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("make_oui: %d vendor entries\n", int(entries.size()));
  return 0;
}
