// velmaro-cli vendors: a registry refused with its line and nothing written, and one taken
// into this user's folder, with the word that the build's own file still comes first.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "cli/CliProcess.h"

namespace velmaro::cli {
namespace {

const QByteArray kRegistry =
    "Registry,Assignment,Organization Name,Organization Address\r\n"
    "MA-L,002272,American Micro-Fuel Device Corp.,2181 Buchanan Loop \r\n";

TEST(VendorsProgram, RefusesACutDownloadAndImportsAWholeOne) {
  QTemporaryDir data;
  ASSERT_TRUE(data.isValid());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
  const QString registry = data.path() + QStringLiteral("/oui.csv");
  const auto writeRegistry = [&](const QByteArray& bytes) {
    QFile file(registry);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  };

  writeRegistry(kRegistry.first(kRegistry.size() - 4));
  CliRun run = RunCli({QStringLiteral("vendors"), QStringLiteral("import"), registry}, environment);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.err,
            QStringLiteral("velmaro-cli: %1 line 2: the file ends in the middle of a line: the "
                           "download was cut short; the vendor file in use is unchanged\n")
                .arg(registry))
      << run.err.toStdString();
  EXPECT_FALSE(QFile::exists(data.path() + QStringLiteral("/Velmaro/oui.txt")));
#ifdef Q_OS_WIN
  GTEST_SKIP() << "this user's folder comes from the profile there, not the environment";
#endif

  writeRegistry(kRegistry);
  run = RunCli({QStringLiteral("vendors"), QStringLiteral("import"), registry}, environment);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.text().startsWith(u"1 entries, ")) << run.text().toStdString();
  EXPECT_TRUE(
      run.text().endsWith(QStringLiteral("written to %1/Velmaro/oui.txt\n").arg(data.path())));
  // The build's folder holds the shipped file, which the look-up reads first.
  if (QFile::exists(QFileInfo(QStringLiteral(VELMARO_CLI_PATH)).path() +
                    QStringLiteral("/oui.txt"))) {
    EXPECT_TRUE(run.err.contains(QStringLiteral("stays in use"))) << run.err.toStdString();
  }
}

// The program alone in a folder, so no vendor file of the build is found; this user's data
// in a folder named "p%1q". Each step runs on what the one before left.
TEST(VendorsProgram, StatusesAndMessagesPrintOutsideTextAsItIs) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString program = root.filePath(QFileInfo(QStringLiteral(VELMARO_CLI_PATH)).fileName());
  ASSERT_TRUE(QFile::copy(QStringLiteral(VELMARO_CLI_PATH), program));
  const QString data = root.filePath(QStringLiteral("p%1q"));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
  const QString registry = root.filePath(QStringLiteral("oui.csv"));
  const struct {
    QByteArray registry;  // empty: the command is plain "vendors"
    int exitCode;
    QString says;  // a part of standard output, or of standard error when the run fails
  } steps[] = {
      {{}, 3, QStringLiteral("no vendor file")},
      {kRegistry.first(kRegistry.size() - 4), 3, QStringLiteral("line 2: the file ends")},
      {"\x1b]0;owned\x07\r\n", 3, QStringLiteral("starts with \"?]0;owned?\"")},
      {kRegistry, 0, QStringLiteral("written to %1/Velmaro/oui.txt\n").arg(data)},
      {{}, 0, QStringLiteral("file: %1/Velmaro/oui.txt\n").arg(data)},
      {{}, 0, QStringLiteral("\nentries: 1\n")},
  };
  for (const auto& step : steps) {
#ifdef Q_OS_WIN
    // This user's folder comes from the profile there and no environment moves it: only the
    // refusals, which neither read nor write it, run without touching the tester's own file.
    if (step.exitCode == 0 || step.registry.isEmpty()) continue;
#endif
    QStringList arguments{QStringLiteral("vendors")};
    if (!step.registry.isEmpty()) {
      QFile file(registry);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
      file.write(step.registry);
      arguments << QStringLiteral("import") << registry;
    }
    const CliRun run = RunCli(arguments, environment, program);
    EXPECT_EQ(run.exitCode, step.exitCode) << step.says.toStdString();
    EXPECT_TRUE((step.exitCode == 0 ? run.text() : run.err).contains(step.says))
        << step.says.toStdString() << " in: " << run.text().toStdString() << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(u'\x1b')) << run.err.toStdString();
  }
}

}  // namespace
}  // namespace velmaro::cli
