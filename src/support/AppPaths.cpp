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

AppPaths::AppPaths(QString appFolder, QString userFolder, QString shareFolder)
    : m_appFolder(std::move(appFolder)),
      m_userFolder(std::move(userFolder)),
      m_shareFolder(std::move(shareFolder)) {}

AppPaths AppPaths::forExecutable() {
  const QString app = QCoreApplication::applicationDirPath();
  const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  const QString share = QDir::cleanPath(app + QStringLiteral("/../share/velmaro"));
  return AppPaths(app, user, share);
}

QString AppPaths::writableFolder() const {
  if (!m_writable) {
    if (canCreateFilesIn(m_appFolder) || m_userFolder.isEmpty()) {
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

QString AppPaths::errorLogPath() const { return writableFolder() + QStringLiteral("/ErrorLog.txt"); }

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
