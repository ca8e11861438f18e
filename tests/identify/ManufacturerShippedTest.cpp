// The shipped vendor-prefix file: the build-time converter's output layout, and look-ups
// against the file the build made from the IEEE registry.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "identify/Manufacturer.h"
#include "identify/RegistrySample.h"
#include "identify/VendorRegistry.h"
#include "support/RecordingReporter.h"

#ifndef VELMARO_MAKE_OUI
#error "VELMARO_MAKE_OUI must name the converter"
#endif
#ifndef VELMARO_SHIPPED_OUI
#error "VELMARO_SHIPPED_OUI must name the shipped oui.txt"
#endif

namespace velmaro {
namespace {

// A piece of the registry as the IEEE publishes it (UTF-8, CR LF).
const QByteArray kRegistry = test::kRegistryStart +
                             "\t\t\t\tUS\r\n"
                             "\r\n"
                             "58-b5-68   (hex)\t\tSECURITAS DIRECT ESPA\xC3\x91"
                             "A, SAU\r\n"
                             "20-32-33   (hex)\t\tSHENZHEN BILIAN ELECTRONIC CO.\xEF\xBC\x8CLTD\r\n"
                             "00-1D-40   (hex)\t\t Intel \xE2\x80\x93 GE Care Innovations LLC\r\n"
                             "84-68-C8   (hex)\t\tTOTOLINK TECHNOLOGY INT\xE2\x80\x98L LIMITED\r\n"
                             "3C-2C-94   (hex)\t\t\xE6\x9D\xAD\xE5\xB7\x9E(HangZhou)\r\n"
                             "48-BC-A6   (hex)\t\t\xE2\x80\x8B"
                             "ASUNG\tTECHNO CO.,Ltd\r\n"
                             "A0-B0-C0   (hex)\t\t\r\n"
                             "A0-B0-C   (hex)\t\tToo short a prefix\r\n";

const QByteArray kExpected =
    "00-22-72\tAmerican Micro-Fuel Device Corp.\r\n"
    "58-B5-68\tSECURITAS DIRECT ESPA\xD1"
    "A, SAU\r\n"
    "20-32-33\tSHENZHEN BILIAN ELECTRONIC CO.,LTD\r\n"
    "00-1D-40\tIntel - GE Care Innovations LLC\r\n"
    "84-68-C8\tTOTOLINK TECHNOLOGY INT'L LIMITED\r\n"
    "3C-2C-94\t?\?(HangZhou)\r\n"
    "48-BC-A6\tASUNG TECHNO CO.,Ltd\r\n";

// Runs the build's converter over `registry`; the exit code, and where it was told to write.
struct Conversion {
  int exitCode = -1;
  QString error;
  QString output;
};
Conversion Convert(const QTemporaryDir& folder, const QByteArray& registry) {
  const QString in = folder.path() + QStringLiteral("/registry.txt");
  Conversion result;
  result.output = folder.path() + QStringLiteral("/oui.txt");
  QFile file(in);
  if (!file.open(QIODevice::WriteOnly)) return result;
  file.write(registry);
  file.close();
  QProcess tool;
  tool.start(QStringLiteral(VELMARO_MAKE_OUI), {in, result.output});
  if (tool.waitForFinished(30000)) result.exitCode = tool.exitCode();
  result.error = QString::fromLocal8Bit(tool.readAllStandardError());
  return result;
}

TEST(OuiConverter, WritesOneTabSeparatedLatin1EntryPerVendor) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const Conversion run = Convert(folder, kRegistry);
  ASSERT_EQ(run.exitCode, 0) << run.error.toStdString();

  QFile result(run.output);
  ASSERT_TRUE(result.open(QIODevice::ReadOnly));
  const QByteArray written = result.readAll();
  // The first line names the registry's day, and the look-up passes over it.
  const qsizetype body = written.indexOf("\r\n") + 2;
  EXPECT_EQ(written.sliced(body), kExpected);
  EXPECT_EQ(
      SummarizeVendorFile(written).registryDate,
      QFileInfo(folder.path() + QStringLiteral("/registry.txt")).lastModified().toUTC().date());

  // Every line the converter writes is an entry the program reads.
  test::RecordingReporter log;
  EXPECT_EQ(OUI_GetMFGByMACInFile(QStringLiteral("58-b5-68-00-00-01"), run.output, log),
            QString::fromUtf8("SECURITAS DIRECT ESPA\xC3\x91"
                              "A, SAU"));
  EXPECT_EQ(OUI_GetMFGByMACInFile(QStringLiteral("48-BC-A6-00-00-01"), run.output, log),
            u"ASUNG TECHNO CO.,Ltd");
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST(OuiConverter, RefusesARegistryWithoutEntries) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const Conversion run = Convert(folder, "<html>Not the registry</html>\r\n");
  EXPECT_GT(run.exitCode, 0);  // it ran, and said no
  EXPECT_FALSE(QFileInfo::exists(run.output));
}

TEST(ShippedOui, NamesWellKnownVendors) {
  const QString shipped = QStringLiteral(VELMARO_SHIPPED_OUI);
  if (!QFileInfo::exists(shipped)) GTEST_SKIP() << "this build made no oui.txt (no ieee-data)";
  const struct {
    const char* mac;
    const char* vendor;
  } cases[] = {
      {"00-1B-21-00-00-31", "Intel Corporate"},
      {"00-00-0C-00-00-32", "Cisco Systems, Inc"},
      {"00-16-3e-00-00-33", "Xensource, Inc."},
      {"00-22-72-01-02-03", "American Micro-Fuel Device Corp."},
      {"FF-FF-FF-00-00-00", ""},  // reserved for broadcast: no vendor
  };
  test::RecordingReporter log;
  for (const auto& c : cases) {
    EXPECT_EQ(OUI_GetMFGByMACInFile(QString::fromLatin1(c.mac), shipped, log),
              QString::fromLatin1(c.vendor))
        << c.mac;
  }
  EXPECT_TRUE(log.reports.isEmpty());
}

}  // namespace
}  // namespace velmaro
