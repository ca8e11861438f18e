#include "support/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "support/ErrorLog.h"
#include "support/Version.h"

namespace velmaro {
namespace {

bool canCreateFilesIn(const QString& folder) {
  if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
  // Permission bits lie for root and for read-only mounts: try it.
  QTemporaryFile probe(folder + QStringLiteral("/.velmaro-write-probe-XXXXXX"));
  return probe.open();
}

}  // namespace

AppPaths::AppPaths(QString appFolder, QString userFolder, QString shareFolder,
                   bool writeInAppFolder)
    : m_appFolder(std::move(appFolder)),
      m_userFolder(std::move(userFolder)),
      m_shareFolder(std::move(shareFolder)),
      m_writeInAppFolder(writeInAppFolder) {}

QString ProgramBesideThis(QStringView name) {
  QString path = QCoreApplication::applicationDirPath() + u'/';
  path += name;
  path += QStringView(kProgramSuffix);
  return QDir::toNativeSeparators(path);
}

QString ThisProgram() { return QDir::toNativeSeparators(QCoreApplication::applicationFilePath()); }

AppPaths AppPaths::forExecutable() {
  return forProgramIn(QCoreApplication::applicationDirPath(), perUserFolder());
}

QString AppPaths::perUserFolder() {
#ifdef Q_OS_WIN
  // The toolkit's application folders are the roaming ones there, named after the
  // organisation too; the generic data folder is the local one itself.
  const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  return local.isEmpty() ? QString() : local + u'/' + QLatin1String(kAppTitle);
#else
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
#endif
}

AppPaths AppPaths::forProgramIn(const QString& programFolder, QString userFolder,
                                AppFolderRule rule) {
  // What lies beside the program proves nothing (a package built without the vendor file
  // has no data folder): only the build knows where its own programs run from.
  const QString real = QFileInfo(programFolder).canonicalFilePath();
  const QString built = QFileInfo(QStringLiteral(VELMARO_BUILD_PROGRAM_FOLDER)).canonicalFilePath();
  const bool inBuildTree = !real.isEmpty() && real == built;
  const QString share =
      QDir::cleanPath(programFolder + u'/' + QStringLiteral(VELMARO_SHARE_FROM_PROGRAMS));
  return AppPaths(programFolder, std::move(userFolder), share,
                  rule == AppFolderRule::WhenWritable || inBuildTree);
}

QString AppPaths::writableFolder() const {
  if (!m_writable) {
    if ((m_writeInAppFolder && canCreateFilesIn(m_appFolder)) || m_userFolder.isEmpty()) {
      m_writable = m_appFolder;
    } else {
      QDir().mkpath(m_userFolder);
      m_writable = m_userFolder;
    }
  }
  return *m_writable;
}

bool AppPaths::writableFolderUsable() const { return canCreateFilesIn(writableFolder()); }

QString AppPaths::userOuiPath() const {
  return m_userFolder.isEmpty() ? QString() : m_userFolder + QStringLiteral("/oui.txt");
}

QString AppPaths::errorLogPath() const {
  return writableFolder() + QStringLiteral("/ErrorLog.txt");
}

QString AppPaths::ouiPath() const {
  for (const QString& folder : {m_appFolder, m_userFolder, m_shareFolder}) {
    if (folder.isEmpty()) continue;
    const QString path = folder + QStringLiteral("/oui.txt");
    if (FileExists(path)) return path;
  }
  return m_appFolder + QStringLiteral("/oui.txt");
}

}  // namespace velmaro
