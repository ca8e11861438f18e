// Opening a kept file: what may stand at its name, appending that really appends, and
// folder names with spaces and letters outside any 8-bit code page.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "support/CaseName.h"
#include "support/RegularFile.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace velmaro {
namespace {

using namespace Qt::StringLiterals;

enum class Planted { Nothing, File, Folder, LinkToFile, Device, Fifo };

struct PlantCase {
  const char* label;
  Planted planted;
  bool append;
  bool opens;
};

class RegularFileOpen : public ::testing::TestWithParam<PlantCase> {};

TEST_P(RegularFileOpen, OpensOnlyAPlainFile) {
  const PlantCase& c = GetParam();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString target = dir.filePath(u"target.txt"_s);
  QString path = dir.filePath(u"ErrorLog.txt"_s);
  {
    QFile plain(target);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("kept\r\n");
  }
  [[maybe_unused]] std::error_code made;
  switch (c.planted) {
    case Planted::Nothing:
      break;
    case Planted::File:
      path = target;
      break;
    case Planted::Folder:
      ASSERT_TRUE(QDir().mkpath(path));
      break;
    case Planted::LinkToFile:
#ifdef Q_OS_WIN
      // Without administrator rights only in developer mode; the C++ library has no links.
      // Wine reports success and makes nothing: only a link that is there counts.
      ::CreateSymbolicLinkW(reinterpret_cast<const wchar_t*>(path.utf16()),
                            reinterpret_cast<const wchar_t*>(target.utf16()),
                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
      if (const DWORD found = ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()));
          found == INVALID_FILE_ATTRIBUTES || (found & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        GTEST_SKIP() << "this account or system makes no links";
      }
#else
      std::filesystem::create_symlink(target.toStdU16String(), path.toStdU16String(), made);
      if (made) GTEST_SKIP() << "this account may not make links: " << made.message();
#endif
      break;
    case Planted::Device:
#ifdef Q_OS_WIN
      path = dir.filePath(u"NUL"_s);  // every folder's NUL is the null device
#else
      path = u"/dev/null"_s;
#endif
      break;
    case Planted::Fifo:
#ifdef Q_OS_WIN
      GTEST_SKIP() << "no FIFO can stand in a folder here";
#else
      ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
      break;
  }
  const QIODevice::OpenMode mode =
      c.append ? QIODevice::WriteOnly | QIODevice::Append : QIODevice::ReadOnly;
  QFile file;
  EXPECT_EQ(OpenRegularFile(file, path, mode), c.opens);
  EXPECT_EQ(file.isOpen(), c.opens);
  if (c.opens && c.append) {
    EXPECT_EQ(file.write("x"), 1);
  }
  file.close();
  // Whatever the name led to keeps what it held.
  QFile kept(target);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), c.planted == Planted::File && c.append ? "kept\r\nx" : "kept\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Names, RegularFileOpen,
    ::testing::Values(PlantCase{"missing, read", Planted::Nothing, false, false},
                      PlantCase{"missing, append creates it", Planted::Nothing, true, true},
                      PlantCase{"plain file, read", Planted::File, false, true},
                      PlantCase{"plain file, append", Planted::File, true, true},
                      PlantCase{"folder, read", Planted::Folder, false, false},
                      PlantCase{"folder, append", Planted::Folder, true, false},
                      PlantCase{"link to a file, read", Planted::LinkToFile, false, false},
                      PlantCase{"link to a file, append", Planted::LinkToFile, true, false},
                      PlantCase{"device, read", Planted::Device, false, false},
                      PlantCase{"device, append", Planted::Device, true, false},
                      PlantCase{"fifo without a writer, read", Planted::Fifo, false, false},
                      PlantCase{"fifo without a reader, append", Planted::Fifo, true, false}),
    test::caseName<PlantCase>);

struct FolderCase {
  const char* label;
  const char16_t* folder;
};

class RegularFileFolders : public ::testing::TestWithParam<FolderCase> {};

// Another program may read the log while it is held, and a write lands at the end even
// after the position was moved: two copies of the program append to one log.
TEST_P(RegularFileFolders, AppendsAtTheEndWhileOthersRead) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.filePath(QString::fromUtf16(GetParam().folder));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + u"/ErrorLog.txt"_s;
  const auto append = QIODevice::WriteOnly | QIODevice::Append;

  QFile first;
  QFile second;
  ASSERT_TRUE(OpenRegularFile(first, path, append));
  ASSERT_TRUE(OpenRegularFile(second, path, append));
  EXPECT_EQ(first.write("one\r\n"), 5);
  ASSERT_TRUE(first.flush());
  ASSERT_TRUE(second.seek(0));
  EXPECT_EQ(second.write("two\r\n"), 5);
  ASSERT_TRUE(second.flush());

  QFile reader;
  ASSERT_TRUE(OpenRegularFile(reader, path, QIODevice::ReadOnly));
  EXPECT_EQ(reader.readAll(), "one\r\ntwo\r\n");
  EXPECT_TRUE(QFile::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Folders, RegularFileFolders,
                         ::testing::Values(FolderCase{"plain", u"logs"},
                                           FolderCase{"spaces", u"Program Data/My Logs"},
                                           FolderCase{"Latin letters", u"Zoë Müller"},
                                           FolderCase{"beyond any code page", u"Ξένια 李"}),
                         test::caseName<FolderCase>);

}  // namespace
}  // namespace velmaro
