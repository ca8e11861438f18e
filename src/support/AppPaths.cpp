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
  const QString app = QCoreApplication::applicationDirPath();
  const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  const QString share = QDir::cleanPath(app + QStringLiteral("/../share/velmaro"));
  // Root can write to /usr/bin, but a log or a neighbour listing there would outlive the
  // package and belong to nobody.
  const bool installed = QFileInfo(share).isDir();
  return AppPaths(app, user, share, !installed);
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

QString AppPaths::arpPath() const { return writableFolder() + QStringLiteral("/arp.txt"); }

QString AppPaths::ouiPath() const {
  for (const QString& folder : {m_appFolder, m_userFolder, m_shareFolder}) {
    if (folder.isEmpty()) continue;
    const QString path = folder + QStringLiteral("/oui.txt");
    if (FileExists(path)) return path;
  }
  return m_appFolder + QStringLiteral("/oui.txt");
}

}  // namespace velmaro
