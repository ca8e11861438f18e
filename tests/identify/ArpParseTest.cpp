// The listing-line reader of the neighbour table: which lines are entries, and what it
// takes from them.
#include <gtest/gtest.h>

#include <random>

#include "identify/ArpTable.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

struct LineCase {
  const char* line;
  const char* ip;  // nullptr: not an entry
  const char* mac;
};

TEST(ParseArpLine, TakesEntriesAndSkipsEverythingElse) {
  const LineCase cases[] = {
      {"  192.168.1.1           00-11-22-33-44-55     dynamic    ", "192.168.1.1",
       "00-11-22-33-44-55"},
      {"10.0.0.1 aa-bb-cc-dd-ee-ff static", "10.0.0.1", "aa-bb-cc-dd-ee-ff"},
      {"10.0.0.1  aa-bb-cc-dd-ee-ff   dynamic", "10.0.0.1", "aa-bb-cc-dd-ee-ff"},
      // nothing is checked beyond the dots and dashes
      {"1.2.3.4 a-b-c-d-e-f whatever", "1.2.3.4", "a-b-c-d-e-f"},
      {"010.0.0.1 00-11-22-33-44-55 dynamic", "010.0.0.1", "00-11-22-33-44-55"},
      {"x.y.z.w -x--y-- invalidx", "x.y.z.w", "-x--y--"},
      // "invalid" in any case marks an entry without a usable address
      {"  10.0.0.2   00-00-00-00-00-00   invalid", nullptr, nullptr},
      {"10.0.0.2 00-11-22-33-44-55 InVaLiD", nullptr, nullptr},
      {"10.0.0.2 00-11-22-33-44-55 INVALID", nullptr, nullptr},
      // headings and other shapes
      {"Interface: 192.168.1.10 --- 0xb", nullptr, nullptr},
      {"  Internet Address      Physical Address      Type", nullptr, nullptr},
      {"10.0.0.3 00-11-22-33-44-55", nullptr, nullptr},
      {"10.0.0.3 00-11-22-33-44-55 dynamic extra", nullptr, nullptr},
      {"", nullptr, nullptr},
      {"      ", nullptr, nullptr},
      // separators the layout does not have
      {"10.0.0.3 00:11:22:33:44:55 dynamic", nullptr, nullptr},
      {"10.0.3 00-11-22-33-44-55 dynamic", nullptr, nullptr},
      {"10.0.0.3.4 00-11-22-33-44-55 dynamic", nullptr, nullptr},
      {"10.0.0.3 00-11-22-33-44-55-66 dynamic", nullptr, nullptr},
      // tabs are not blanks
      {"10.0.0.3\t00-11-22-33-44-55 dynamic", nullptr, nullptr},
      {"10.0.0.3 00-11-22-33-44-55\tdynamic", nullptr, nullptr},
      // ...and a leading tab stays part of the address, which then matches no lookup
      {"\t10.0.0.3 00-11-22-33-44-55 dynamic", "\t10.0.0.3", "00-11-22-33-44-55"},
  };
  for (const LineCase& c : cases) {
    const auto entry = ParseArpLine(QString::fromLatin1(c.line));
    if (c.ip == nullptr) {
      EXPECT_FALSE(entry.has_value()) << '"' << c.line << '"';
    } else {
      ASSERT_TRUE(entry.has_value()) << '"' << c.line << '"';
      EXPECT_EQ(entry->ip, QString::fromLatin1(c.ip)) << c.line;
      EXPECT_EQ(entry->mac, QString::fromLatin1(c.mac)) << c.line;
    }
  }
}

TEST(ParseArpLine, LinesLongerThanAnyListingWritesAreNotEntries) {
  const QString entry = QStringLiteral("10.0.0.1 00-11-22-33-44-55 dynamic");
  const QString atLimit = QString(tunables::kMaxArpLine - entry.size(), u' ') + entry;
  ASSERT_EQ(atLimit.size(), tunables::kMaxArpLine);
  EXPECT_TRUE(ParseArpLine(atLimit).has_value());
  EXPECT_FALSE(ParseArpLine(u' ' + atLimit).has_value());
}

TEST(ParseArpLine, AnyLineGivesNothingOrAWellFormedEntry) {
  // Valid lines with a few random characters inserted, replaced or removed: mostly near
  // misses, some still entries.
  const char alphabet[] = " \t.-0123456789abcdefINVALIDinvalid:\r\xe9";
  const QString base = QStringLiteral("  10.20.30.40     00-0a-2b-01-80-01     dynamic  ");
  std::mt19937 random(20121);
  std::uniform_int_distribution<int> edits(0, 3);
  std::uniform_int_distribution<int> kind(0, 2);
  std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
  int entries = 0;
  int rejected = 0;
  for (int i = 0; i < 20000; ++i) {
    QString line = base;
    for (int e = edits(random); e > 0; --e) {
      const auto at = std::uniform_int_distribution<qsizetype>(0, line.size())(random);
      const QChar c = QChar::fromLatin1(alphabet[pick(random)]);
      switch (kind(random)) {
        case 0:
          line.insert(at, c);
          break;
        case 1:
          if (at < line.size()) line[at] = c;
          break;
        default:
          if (at < line.size()) line.remove(at, 1);
          break;
      }
    }
    const auto entry = ParseArpLine(line);
    if (!entry) {
      ++rejected;
      continue;
    }
    ++entries;
    EXPECT_EQ(entry->ip.count(u'.'), 3) << line.toStdString();
    EXPECT_EQ(entry->mac.count(u'-'), 5) << line.toStdString();
    EXPECT_FALSE(entry->ip.contains(u' ') || entry->mac.contains(u' ')) << line.toStdString();
    EXPECT_TRUE(line.contains(entry->ip) && line.contains(entry->mac)) << line.toStdString();
  }
  EXPECT_GT(entries, 1000);
  EXPECT_GT(rejected, 1000);
}

}  // namespace
}  // namespace velmaro
