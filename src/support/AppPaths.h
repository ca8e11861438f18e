// Where the program's files live: the application folder (the executable's), with the
// per-user data folder standing in when the application folder cannot be written, and
// the install's data folder as a last place to find the shipped vendor file.
#pragma once

#include <QString>
#include <optional>

namespace velmaro {

class AppPaths {
 public:
  // `writeInAppFolder` false: the program's files never go to the application folder.
  AppPaths(QString appFolder, QString userFolder, QString shareFolder,
           bool writeInAppFolder = true);

  // The folders of this executable: forProgramIn its own folder, with the per-user data
  // folder.
  static AppPaths forExecutable();
  // The folders of a program in `programFolder`: that folder, `userFolder`, and the data
  // folder where an install puts it beside the programs (share/velmaro beside bin). The
  // program writes to its own folder only when that folder really is the one this build
  // put its programs in; anywhere else it is installed and writes only to the per-user
  // folder, also when run as root and whatever lies beside it.
  static AppPaths forProgramIn(const QString& programFolder, QString userFolder);

  const QString& appFolder() const { return m_appFolder; }
  const QString& userFolder() const { return m_userFolder; }
  const QString& shareFolder() const { return m_shareFolder; }

  // The folder the program writes to: the application folder when a file can be created
  // there, otherwise the per-user folder (created on demand).
  QString writableFolder() const;

  // True when a file can be created in writableFolder() now (it tries).
  bool writableFolderUsable() const;

  QString errorLogPath() const;  // ErrorLog.txt
  // oui.txt: the first that exists of the application, per-user and install folders;
  // the application folder's path when none does.
  QString ouiPath() const;
  // Where an imported vendor file goes: oui.txt in the per-user folder, which the look-up
  // reads before the install's; empty when there is no per-user folder.
  QString userOuiPath() const;

 private:
  QString m_appFolder;
  QString m_userFolder;
  QString m_shareFolder;
  bool m_writeInAppFolder;
  mutable std::optional<QString> m_writable;  // probed once: a probe creates a file
};

}  // namespace velmaro
