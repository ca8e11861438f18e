// Where the program's files live: the application folder (the executable's), with the
// per-user data folder standing in when the application folder cannot be written, and
// the install's data folder as a last place to find the shipped vendor file.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace velmaro {

// When a program writes its files into its own folder.
enum class AppFolderRule {
  // Only in the folder this build put its programs in: an installed program's folder
  // belongs to the package (root can write to /usr/bin, but a log there would outlive the
  // package and belong to nobody).
  BuildTreeOnly,
  // Whenever that folder can be written: a copy unpacked where its user may write is a
  // portable one and keeps its files beside itself; one installed for all users cannot.
  WhenWritable,
};

#ifdef Q_OS_WIN
inline constexpr AppFolderRule kSystemAppFolderRule = AppFolderRule::WhenWritable;
inline constexpr char16_t kProgramSuffix[] = u".exe";
#else
inline constexpr AppFolderRule kSystemAppFolderRule = AppFolderRule::BuildTreeOnly;
inline constexpr char16_t kProgramSuffix[] = u"";
#endif

// The program `name` (without a suffix) in this executable's folder, as the system writes
// its paths: advice names it for the user to type or paste.
QString ProgramBesideThis(QStringView name);
// This executable, as the system writes its path.
QString ThisProgram();

class AppPaths {
 public:
  // `writeInAppFolder` false: the program's files never go to the application folder.
  AppPaths(QString appFolder, QString userFolder, QString shareFolder,
           bool writeInAppFolder = true);

  // The folders of this executable: forProgramIn its own folder, with the per-user data
  // folder.
  static AppPaths forExecutable();
  // The folders of a program in `programFolder`: that folder, `userFolder`, and the data
  // folder where an install puts it beside the programs (share/velmaro beside bin). Under
  // BuildTreeOnly the program writes to its own folder only when that folder really is the
  // one this build put its programs in; anywhere else it is installed and writes only to
  // the per-user folder, also when run as root and whatever lies beside it.
  static AppPaths forProgramIn(const QString& programFolder, QString userFolder,
                               AppFolderRule rule = kSystemAppFolderRule);
  // This user's data folder for the program: ~/.local/share/Velmaro, or on Windows
  // %LOCALAPPDATA%\Velmaro (local, not roaming: a log belongs to the machine it was
  // written on). Empty when the system names none.
  static QString perUserFolder();

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
