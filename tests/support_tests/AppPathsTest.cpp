#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "support/AppPaths.h"

namespace velmaro {
namespace {

struct WriteCase {
  const char* name;
  bool appFolderExists;
  bool writeInAppFolder;
  bool expectAppFolder;
};

class AppPathsWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(AppPathsWrite, ChoosesTheFolderFilesAreWrittenTo) {
  const WriteCase& c = GetParam();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString app =
      c.appFolderExists ? dir.filePath(QStringLiteral(".")) : dir.filePath(QStringLiteral("gone"));
  const QString user = dir.filePath(QStringLiteral("user"));
  const AppPaths paths(app, user, dir.filePath(QStringLiteral("share")), c.writeInAppFolder);
  const QString expected = c.expectAppFolder ? app : user;
  EXPECT_EQ(paths.writableFolder(), expected);
  EXPECT_EQ(paths.errorLogPath(), expected + QStringLiteral("/ErrorLog.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, AppPathsWrite,
    ::testing::Values(WriteCase{"BuildTreeWritesBesideTheProgram", true, true, true},
                      WriteCase{"InstalledProgramWritesPerUser", true, false, false},
                      WriteCase{"MissingAppFolderFallsBackPerUser", false, true, false}),
    [](const ::testing::TestParamInfo<WriteCase>& param) { return std::string(param.param.name); });

// Whether a program writes beside itself is decided by where the build put it, not by the
// data folder beside it: a package built without the vendor file has none.
struct ProgramCase {
  const char* name;
  const char* programFolder;  // below a scratch root; empty: this test program's own folder
  bool withDataFolder;        // share/velmaro beside the program's bin
  bool expectOwnFolder;
  AppFolderRule rule = AppFolderRule::BuildTreeOnly;
  bool folderExists = true;
};

class AppPathsProgram : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(AppPathsProgram, WritesBesideItselfOnlyInTheBuildTree) {
  const ProgramCase& c = GetParam();
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString folder = *c.programFolder ? root.filePath(QString::fromUtf8(c.programFolder))
                                          : QCoreApplication::applicationDirPath();
  if (c.folderExists) {
    ASSERT_TRUE(QDir().mkpath(folder));
  }
#ifdef Q_OS_WIN
  // A Windows install is one folder: its data lies beside the programs.
  const QString share = QDir::cleanPath(folder);
#else
  const QString share = QDir::cleanPath(folder + QStringLiteral("/../share/velmaro"));
#endif
  if (c.withDataFolder) {
    ASSERT_TRUE(QDir().mkpath(share));
  }
  const QString user = root.filePath(QStringLiteral("user"));
  const AppPaths paths = AppPaths::forProgramIn(folder, user, c.rule);
  EXPECT_EQ(paths.writableFolder(), c.expectOwnFolder ? folder : user);
  EXPECT_EQ(paths.shareFolder(), share);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, AppPathsProgram,
    ::testing::Values(ProgramCase{"BuildTree", "", false, true},
                      ProgramCase{"InstalledWithoutDataFolder", "usr/bin", false, false},
                      ProgramCase{"InstalledWithDataFolder", "usr/bin", true, false},
                      ProgramCase{"CopiedOutOfTheBuildTree", "build/bin", false, false},
                      // A copy unpacked anywhere its user may write is a portable one.
                      ProgramCase{"PortableCopy", "Users/Zoë Ñúñez/Velmaro 1.1.8", false, true,
                                  AppFolderRule::WhenWritable},
                      ProgramCase{"PortableBuildTree", "", false, true,
                                  AppFolderRule::WhenWritable},
                      ProgramCase{"UnwritableProgramFolderWritesPerUser", "Program Files/Velmaro",
                                  false, false, AppFolderRule::WhenWritable, false}),
    [](const ::testing::TestParamInfo<ProgramCase>& param) {
      return std::string(param.param.name);
    });

// Advice names a program for the user to paste: the system's own file name and separators.
TEST(AppPathsPrograms, NamedAsTheSystemWritesThem) {
#ifdef Q_OS_WIN
  const QString shown = QStringLiteral("\\velmaro-cli.exe");
#else
  const QString shown = QStringLiteral("/velmaro-cli");
#endif
  const QString program = ProgramBesideThis(u"velmaro-cli");
  EXPECT_TRUE(program.endsWith(shown)) << program.toStdString();
  EXPECT_EQ(program.chopped(shown.size()),
            QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
  EXPECT_EQ(ThisProgram().contains(u'/'), QDir::separator() == u'/');
}

#ifdef Q_OS_WIN
// The local application data, not the roaming folder the toolkit's own application
// folders are in, and not below an organisation's folder.
TEST(AppPathsUser, PerUserFolderIsTheLocalApplicationData) {
  const QString local = qEnvironmentVariable("LOCALAPPDATA");
  ASSERT_FALSE(local.isEmpty());
  EXPECT_EQ(QDir::toNativeSeparators(AppPaths::perUserFolder()),
            QDir::toNativeSeparators(local + QStringLiteral("/Velmaro")));
}
#endif

}  // namespace
}  // namespace velmaro
