#include <gtest/gtest.h>

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
  EXPECT_EQ(paths.arpPath(), expected + QStringLiteral("/arp.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, AppPathsWrite,
    ::testing::Values(WriteCase{"BuildTreeWritesBesideTheProgram", true, true, true},
                      WriteCase{"InstalledProgramWritesPerUser", true, false, false},
                      WriteCase{"MissingAppFolderFallsBackPerUser", false, true, false}),
    [](const ::testing::TestParamInfo<WriteCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace velmaro
