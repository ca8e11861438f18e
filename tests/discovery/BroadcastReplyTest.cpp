// The reading of unit answers: which datagrams make a row, and the cells they give.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QList>
#include <optional>
#include <ostream>
#include <string>

#include "discovery/BroadcastReply.h"
#include "support/CaseName.h"

namespace velmaro {
namespace {

constexpr quint32 kSender = 0xC612'0715;  // 198.18.7.21

QByteArray reply(const QList<QByteArray>& lines) { return lines.join("\r\n"); }

// The 32-character answer: "UNIT" and six NULs, the MAC, "X".
QByteArray exampleReply() {
  return reply({QByteArray("UNIT\0\0\0\0\0\0", 10), "00-0A-2B-01-80-05", "X"});
}

QByteArray withPortLine(const QByteArray& portLine) {
  return reply({"NV-CAM-1000", "00-0A-2B-01-80-01", "Front door", portLine});
}

struct Expected {
  const char* mac;
  const char* name;
  const char* port;
};

struct ReplyCase {
  const char* label;
  QByteArray datagram;
  std::optional<Expected> row;
};

void PrintTo(const ReplyCase& c, std::ostream* out) { *out << c.label; }

class ReplyTable : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyTable, GivesTheRowOrNothing) {
  const ReplyCase& c = GetParam();
  const auto parsed = ParseBroadcastReply(c.datagram, kSender);
  ASSERT_EQ(parsed.has_value(), c.row.has_value()) << c.label;
  if (!c.row) return;
  EXPECT_EQ(parsed->address, u"198.18.7.21");
  EXPECT_EQ(parsed->mac, QString::fromUtf8(c.row->mac));
  EXPECT_EQ(parsed->name, QString::fromUtf8(c.row->name));
  EXPECT_EQ(parsed->httpPort, QString::fromUtf8(c.row->port));
}

QByteArray hugeReply(qsizetype total, const QByteArray& portDigitsPattern) {
  QByteArray head = reply({"BIG", "00-0A-2B-01-80-01", "text", ""});
  QByteArray data = head;
  while (data.size() < total) data += portDigitsPattern;
  data.truncate(total);
  return data;
}

const ReplyCase kReplies[] = {
    {"31 characters, four lines", reply({"UNIT1", "00-0A-2B-01-80-05", "X", "50"}), std::nullopt},
    {"32 characters, four lines", reply({"UNIT12", "00-0A-2B-01-80-05", "X", "50"}),
     Expected{"00-0A-2B-01-80-05", "UNIT12 X", "80"}},
    {"NUL filler, exactly 32, three lines", exampleReply(),
     Expected{"00-0A-2B-01-80-05", "UNIT X", "N/A"}},
    {"trailing CR LF gives an empty fourth line", exampleReply() + "\r\n",
     Expected{"00-0A-2B-01-80-05", "UNIT X", "0"}},
    {"1F90", withPortLine("1F90"), Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "8080"}},
    {"50", withPortLine("50"), Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "80"}},
    {"FFFF", withPortLine("FFFF"),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "65535"}},
    {"lower-case hex", withPortLine("1f90"),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "8080"}},
    {"10000 is no port", withPortLine("10000"),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "N/A"}},
    {"digits that wrap 64 bits are no port", withPortLine("10000000000000000050"),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "N/A"}},
    {"reading stops at a non-hex character", withPortLine("1F90 web"),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "8080"}},
    {"no leading hex digit reads 0", withPortLine("port 50"),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "0"}},
    {"a leading space is not a digit", withPortLine(" 50"),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "0"}},
    {"fifth line and later ignored",
     reply({"NV-CAM-1000", "00-0A-2B-01-80-01", "Front door", "50", "ZZ", "more"}),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "80"}},
    {"outer spaces of line 1 go, line 3 kept as sent",
     reply({"   NV-CAM 1000   ", "00-0A-2B-01-80-01", " Front  door "}),
     Expected{"00-0A-2B-01-80-01", "NV-CAM 1000  Front  door ", "N/A"}},
    {"NULs inside the name go too",
     reply({QByteArray("NV\0-CAM-\0\0001000", 14), "00-0A-2B-01-80-01", "Front door"}),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "N/A"}},
    // A cell is shown and written out as text, where a NUL would cut it short.
    {"NULs in the MAC and the free text go",
     reply(
         {"NV-CAM-1000", QByteArray("00-0A-2B\0-01-80-01", 18), QByteArray("Front\0 door\0", 12)}),
     Expected{"00-0A-2B-01-80-01", "NV-CAM-1000 Front door", "N/A"}},
    {"empty line 3 leaves one trailing space", reply({"NAME-OF-UNIT", "00-0A-2B-01-80-05", ""}),
     Expected{"00-0A-2B-01-80-05", "NAME-OF-UNIT ", "N/A"}},
    {"LF alone is not a line end", QByteArray("NV-CAM-1000\n00-0A-2B-01-80-01\nFront door\n50"),
     std::nullopt},
    {"two lines only", reply({"NV-CAM-1000 with a long name", "00-0A-2B-01-80-01"}), std::nullopt},
    {"MAC with colons copied unchanged", reply({"NV-CAM-1000", "00:0A:2B:01:80:05", "Front door"}),
     Expected{"00:0A:2B:01:80:05", "NV-CAM-1000 Front door", "N/A"}},
    {"lower-case MAC copied unchanged", reply({"NV-CAM-1000", "00-0a-2b-01-80-05", "Front door"}),
     Expected{"00-0a-2b-01-80-05", "NV-CAM-1000 Front door", "N/A"}},
    {"bytes are Latin-1 characters",
     reply({"C\xE1mara", "00-0A-2B-01-80-05",
            "Espa\xF1"
            "a"}),
     Expected{"00-0A-2B-01-80-05",
              "C\xC3\xA1mara Espa\xC3\xB1"
              "a",
              "N/A"}},
    {"the largest datagram, an endless port line", hugeReply(65535, "F"),
     Expected{"00-0A-2B-01-80-01", "BIG text", "N/A"}},
    {"larger than any datagram", hugeReply(65536, "5"), std::nullopt},
    {"empty", QByteArray(), std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Datagrams, ReplyTable, ::testing::ValuesIn(kReplies),
                         test::caseName<ReplyCase>);

TEST(BroadcastReply, KnowsWhetherAFourthLineWasSent) {
  EXPECT_FALSE(ParseBroadcastReply(exampleReply(), kSender)->hasPortLine);
  EXPECT_TRUE(ParseBroadcastReply(exampleReply() + "\r\n", kSender)->hasPortLine);
}

TEST(BroadcastReply, WritesTheSenderDotted) {
  const struct {
    quint32 address;
    const char* dotted;
  } cases[] = {{0x7F00'0001, "127.0.0.1"},
               {0xC0A8'00FE, "192.168.0.254"},
               {0, "0.0.0.0"},
               {0xFFFF'FFFF, "255.255.255.255"},
               {0x0A01'0203, "10.1.2.3"}};
  for (const auto& c : cases) {
    EXPECT_EQ(DottedAddress(c.address), QString::fromLatin1(c.dotted));
    EXPECT_EQ(ParseBroadcastReply(exampleReply(), c.address)->address,
              QString::fromLatin1(c.dotted));
  }
}

}  // namespace
}  // namespace velmaro
