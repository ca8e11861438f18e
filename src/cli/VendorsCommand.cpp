// velmaro-cli vendors [import FILE]: the vendor file in use, and replacing this user's with
// a registry downloaded from the IEEE.
#include <QDir>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "identify/VendorFile.h"
#include "support/PrintableText.h"

namespace velmaro::cli {
namespace {

QString dated(const VendorFileInUse& file) {
  return QStringLiteral("%1 (%2)").arg(file.date.toString(Qt::ISODate),
                                       file.registryDated ? QStringLiteral("the registry's date")
                                                          : QStringLiteral("the file's date"));
}

int describe(const AppPaths& paths) {
  const VendorFileInUse file = DescribeVendorFile(paths);
  if (!file.exists) {
    PrintError(CheckVendorFile(file).text);
    return kExitVendorFile;
  }
  // One multi-argument call: a folder named "p%1q" is printed as it is.
  PrintOut(QStringLiteral("file: %1\ndate: %2\nentries: %3\n")
               .arg(PrintableText(QDir::toNativeSeparators(file.path)), dated(file),
                    QString::number(file.entries)));
  return kExitCompleted;
}

int import(const QString& registry, const AppPaths& paths) {
  const VendorImport done = ImportVendorRegistry(registry, paths);
  if (done.refusal) {
    const QString where =
        done.refusal->line > 0 ? QStringLiteral(" line %1").arg(done.refusal->line) : QString();
    PrintError(QStringLiteral("%1%2: %3; the vendor file in use is unchanged")
                   .arg(registry, where, done.refusal->reason));
    return kExitVendorFile;
  }
  if (!done.error.isEmpty()) {
    PrintError(done.error + QStringLiteral("; the vendor file in use is unchanged"));
    return kExitVendorFile;
  }
  PrintOut(QStringLiteral("%1 entries, %2 new prefixes, written to %3\n")
               .arg(QString::number(done.entries), QString::number(done.newPrefixes),
                    PrintableText(QDir::toNativeSeparators(done.writtenPath))));
  if (done.inUse != done.writtenPath) {
    PrintError(
        QStringLiteral("%1 is looked up first and stays in use; remove it to use the new file")
            .arg(QDir::toNativeSeparators(done.inUse)));
  }
  return kExitCompleted;
}

}  // namespace

int RunVendorsCommand(const Options& options) {
  Session session(options);
  const AppPaths& paths = session.root().paths();
  return options.command == Command::VendorsImport ? import(options.registryFile, paths)
                                                   : describe(paths);
}

}  // namespace velmaro::cli
