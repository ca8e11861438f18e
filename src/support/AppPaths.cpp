#include "support/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "support/ErrorLog.h"

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

AppPaths AppPaths::forExecutable() {
  return forProgramIn(QCoreApplication::applicationDirPath(),
                      QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

AppPaths AppPaths::forProgramIn(const QString& programFolder, QString userFolder) {
  // Root can write to /usr/bin, but a log there would outlive the package and belong to
  // nobody. What lies beside the program proves nothing (a package built without the
  // vendor file has no data folder): only the build knows where its own programs run from.
  const QString real = QFileInfo(programFolder).canonicalFilePath();
  const QString built = QFileInfo(QStringLiteral(VELMARO_BUILD_PROGRAM_FOLDER)).canonicalFilePath();
  const bool inBuildTree = !real.isEmpty() && real == built;
  const QString share =
      QDir::cleanPath(programFolder + u'/' + QStringLiteral(VELMARO_SHARE_FROM_PROGRAMS));
  return AppPaths(programFolder, std::move(userFolder), share, inBuildTree);
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
