// velmaro-cli run as a separate program, as a script runs it: bounded, its exit status and
// both outputs.
#pragma once

#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

namespace velmaro::cli {

struct CliRun {
  int exitCode = -1;
  QByteArray out;  // as written: JSON is read from the bytes
  QString err;
  QString text() const { return lineEnds(QString::fromUtf8(out)); }

  // The C runtime of Windows writes each line end of a console program as CR LF.
  static QString lineEnds(QString text) {
#ifdef Q_OS_WIN
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
    return text;
  }
};

// A run that hangs fails the test. `program`: a copy of velmaro-cli elsewhere.
inline CliRun RunCli(
    const QStringList& arguments,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
    const QString& program = QStringLiteral(VELMARO_CLI_PATH)) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  const bool ended = process.waitForFinished(120000);
  if (!ended) process.kill();
  EXPECT_TRUE(ended) << "velmaro-cli " << arguments.join(u' ').toStdString() << " did not end";
  return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(),
          CliRun::lineEnds(QString::fromUtf8(process.readAllStandardError()))};
}

// The text of one check in doctor's table ("check  text" a line); empty when it is missing.
inline QString DoctorText(const QString& table, const QString& check) {
  for (const QString& line : table.split(u'\n')) {
    if (line.startsWith(check + u' ')) return line.mid(check.size()).trimmed();
  }
  return {};
}

}  // namespace velmaro::cli
