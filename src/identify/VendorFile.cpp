#include "identify/VendorFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "support/AppPaths.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

// The whole file, or nothing when it cannot be read; one byte past the limit tells an
// oversized file apart.
std::optional<QByteArray> readBounded(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error)
      *error = QStringLiteral("cannot read %1: %2")
                   .arg(QDir::toNativeSeparators(path), file.errorString());
    return std::nullopt;
  }
  return file.read(tunables::kMaxRegistryBytes + 1);
}

QDate modificationDay(const QString& path) { return QFileInfo(path).lastModified().toUTC().date(); }

}  // namespace

VendorFileInUse DescribeVendorFile(const AppPaths& paths) {
  VendorFileInUse file;
  file.path = paths.ouiPath();
  const auto text = readBounded(file.path, nullptr);
  file.exists = text.has_value();
  if (!text) return file;
  const VendorFileSummary summary = SummarizeVendorFile(*text);
  file.entries = summary.entries;
  file.registryDated = summary.registryDate.has_value();
  file.date = summary.registryDate.value_or(modificationDay(file.path));
  return file;
}

VendorImport ImportVendorRegistry(const QString& registryFile, const AppPaths& paths) {
  VendorImport result;
  const auto registry = readBounded(registryFile, &result.error);
  if (!registry) return result;
  RegistryRead read = ParseIeeeRegistry(*registry);
  if (read.failure) {
    result.refusal = read.failure;
    return result;
  }
  result.writtenPath = paths.userOuiPath();
  if (result.writtenPath.isEmpty()) {
    result.error = QStringLiteral("this user has no data folder to write oui.txt to");
    return result;
  }
  // New is measured against what the look-up reads now, wherever that file lies.
  QSet<QByteArray> known;
  if (const auto current = readBounded(paths.ouiPath(), nullptr)) {
    known = SummarizeVendorFile(*current).prefixes;
  }
  QSet<QByteArray> counted;
  for (const VendorEntry& entry : read.entries) {
    if (!known.contains(entry.prefix) && !counted.contains(entry.prefix)) {
      counted.insert(entry.prefix);
      ++result.newPrefixes;
    }
  }
  result.entries = int(read.entries.size());

  if (!QDir().mkpath(QFileInfo(result.writtenPath).path())) {
    result.error = QStringLiteral("cannot create the folder %1")
                       .arg(QDir::toNativeSeparators(QFileInfo(result.writtenPath).path()));
    return result;
  }
  // QSaveFile writes beside the target and renames over it only on commit.
  QSaveFile out(result.writtenPath);
  const QByteArray text = VendorFileText(read.entries, modificationDay(registryFile));
  if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
    result.error = QStringLiteral("cannot write %1: %2")
                       .arg(QDir::toNativeSeparators(result.writtenPath), out.errorString());
    return result;
  }
  result.inUse = paths.ouiPath();
  return result;
}

DoctorLine CheckVendorFile(const VendorFileInUse& file) {
  const QString check = QStringLiteral("vendor-file");
  if (!file.exists) {
    // Not blocking: units are still found, only the manufacturer column stays empty.
    return FixLine(
        check, false,
        QStringLiteral("no vendor file (%1): manufacturers come from the maker rule only; "
                       "download oui.csv from the IEEE and run velmaro-cli vendors import "
                       "oui.csv")
            .arg(QDir::toNativeSeparators(file.path)));
  }
  return OkLine(check, QStringLiteral("%1, %2 %3, %4 entries")
                           .arg(QDir::toNativeSeparators(file.path),
                                file.registryDated ? QStringLiteral("registry of")
                                                   : QStringLiteral("file of"),
                                file.date.toString(Qt::ISODate), QString::number(file.entries)));
}

}  // namespace velmaro
