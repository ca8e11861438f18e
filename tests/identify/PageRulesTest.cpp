// The request number and URL, the marker cut and the identification page rules: pure
// functions over text, with the hostile cases and a random search for broken properties.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QStringList>
#include <random>

#include "identify/HttpFetch.h"
#include "identify/ProductPages.h"

namespace velmaro {
namespace {

TEST(RequestNumber, SevenSignificantDigitsThenTenDecimals) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {0.7055475f, "0.7055475000"},
      {0.01234568f, "0.0123456800"},
      {0.5f, "0.5000000000"},
      {0.0f, "0.0000000000"},
      {0.99999994f, "0.9999999000"},  // the largest value below 1
      {0.00012345678f, "0.0001234568"},
      {1.2345678e-5f, "0.0000123457"},  // seven digits, then
                                        // rounded again to ten
                                        // decimals
      {9.9999997e-5f, "0.0001000000"},  // rounds up across the decimal point's digits
      {5e-11f, "0.0000000001"},         // a half rounds up
      {4e-11f, "0.0000000000"},
      {1e-30f, "0.0000000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RequestNumberText(c.value), QString::fromLatin1(c.text)) << c.value;
  }
}

TEST(RequestNumber, GeneratorGivesSinglePrecisionValuesBelowOne) {
  QRandomGenerator random(7);
  QRandomGenerator again(7);
  for (int i = 0; i < 10000; ++i) {
    const float value = NextRequestNumber(random);
    ASSERT_GE(value, 0.0f);
    ASSERT_LT(value, 1.0f);
    ASSERT_EQ(value, NextRequestNumber(again));  // the same seed, the same sequence
  }
}

TEST(RequestUrl, PiecesJoinedWithNothingBetween) {
  EXPECT_EQ(RequestUrl(QStringLiteral("198.18.7.21"), 80, QStringLiteral("id.htm"), 0.7055475f),
            u"http://198.18.7.21:80/id.htm?sid=0.7055475000");
  // The host goes in as it is.
  EXPECT_EQ(RequestUrl(QStringLiteral("a b"), 1, {}, 0.5f), u"http://a b:1/?sid=0.5000000000");
}

struct TokenCase {
  const char* what;
  const char* text;
  const char* start;
  const char* end;
  const char* token;
};

TEST(ParseToken, CutsTheFirstMarkedText) {
  const TokenCase cases[] = {
      {"title", "<title>Status</title>", "<title>", "</title>", "Status"},
      {"one character", "<title>A</title>", "<title>", "</title>", "A"},
      {"error title", "<title>File Not Found</title>", "<title>", "</title>", ""},
      {"error title other case", "<title>FILE not FOUND</title>", "<title>", "</title>", ""},
      {"near error title", "<title>File Not Found </title>", "<title>", "</title>",
       "File Not Found "},
      {"markers are case-sensitive", "<TITLE>Status</TITLE>", "<title>", "</title>", ""},
      {"empty element", "<title></title>", "<title>", "</title>", ""},
      {"empty element, later end marker", "<title></title><p>x</p></title>", "<title>", "</title>",
       ""},
      {"no start marker", "Status</title>", "<title>", "</title>", ""},
      {"no end marker", "<title>Status", "<title>", "</title>", ""},
      {"start marker at the very end", "abc<title>", "<title>", "</title>", ""},
      {"end marker before start", "</title><title>x", "<title>", "</title>", ""},
      {"first start marker counts", "<title>a</title><title>b</title>", "<title>", "</title>", "a"},
      {"meta word with its space", "<meta name=\"x\">", "<meta", "=", " name"},
      {"same marker both sides", "\"abc\"", "\"", "\"", "abc"},
      {"overlapping markers", "aaaa", "aa", "aa", ""},
      {"overlapping markers with a token", "aaXaa", "aa", "aa", "X"},
      {"markup kept", "<body><b>x</b></body>", "<body>", "</body>", "<b>x</b>"},
      {"empty text", "", "<title>", "</title>", ""},
      {"Latin-1 letters", "<title>Caf\xe9</title>", "<title>", "</title>", "Caf\xe9"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HTTP_ParseToken(QString::fromLatin1(c.text), QString::fromLatin1(c.start),
                              QString::fromLatin1(c.end)),
              QString::fromLatin1(c.token))
        << c.what;
  }
}

TEST(ProductIdPage, MetaEntriesOrTheBody) {
  const struct {
    const char* what;
    const char* page;
    bool meta;
    const char* name;
    const char* mac;
  } cases[] = {
      {"both meta entries",
       "<title>Norvikta Product ID</title><meta name=\"NV-CAM-1000 Front door\">"
       "<meta mac=\"00-0A-2B-01-80-01\"><body>x</body>",
       true, "NV-CAM-1000 Front door", "00-0A-2B-01-80-01"},
      {"name without mac", "<meta name=\"NV-DIO-0800\"><body>x</body>", true, "NV-DIO-0800", ""},
      {"other meta only", "<meta http-equiv=\"refresh\"><body>x</body>", true, "", ""},
      {"meta with nothing before =", "<meta=\"x\"><body>NV-1</body>", false, "NV-1", ""},
      {"body without meta", "<body>NV-ENC-2200 <b>Lab</b></body>", false, "NV-ENC-2200 <b>Lab</b>",
       ""},
      {"body tag with attributes", "<body bgcolor=\"#FFFFFF\">NV-PSU-0200</body>", false, "", ""},
      {"body titled as an error", "<body>file not found</body>", false, "", ""},
      {"empty page", "", false, "", ""},
  };
  for (const auto& c : cases) {
    const ProductIdReading reading = ReadProductIdPage(QString::fromLatin1(c.page));
    EXPECT_EQ(reading.hasMeta, c.meta) << c.what;
    EXPECT_EQ(reading.name, QString::fromLatin1(c.name)) << c.what;
    EXPECT_EQ(reading.mac, QString::fromLatin1(c.mac)) << c.what;
  }
}

// Pages stitched from marker pieces at random: the cut never fails, and a token it finds
// is what stands between the first start marker and the next end marker.
TEST(ParseToken, RandomPagesKeepTheCutsPromise) {
  const QStringList pieces{QStringLiteral("<title>"), QStringLiteral("</title>"),
                           QStringLiteral("<meta"),   QStringLiteral("="),
                           QStringLiteral("\""),      QStringLiteral("<body>"),
                           QStringLiteral("</body>"), QStringLiteral("file not found"),
                           QStringLiteral("x"),       QStringLiteral("<"),
                           QStringLiteral("/"),       QString(QChar(0xFF))};
  const std::array<std::pair<QString, QString>, 4> markers{
      {{QStringLiteral("<title>"), QStringLiteral("</title>")},
       {QStringLiteral("<meta"), QStringLiteral("=")},
       {QStringLiteral("\""), QStringLiteral("\"")},
       {QStringLiteral("<body>"), QStringLiteral("</body>")}}};
  std::mt19937 random(4102);
  std::uniform_int_distribution<int> length(0, 12);
  std::uniform_int_distribution<qsizetype> pick(0, pieces.size() - 1);
  for (int round = 0; round < 20000; ++round) {
    QString page;
    for (int n = length(random); n > 0; --n) page += pieces[pick(random)];
    for (const auto& [start, end] : markers) {
      const QString token = HTTP_ParseToken(page, start, end);
      if (token.isEmpty()) continue;
      const qsizetype at = page.indexOf(start) + start.size();
      ASSERT_EQ(page.mid(at, token.size()), token) << page.toStdString();
      ASSERT_EQ(page.indexOf(end, at), at + token.size()) << page.toStdString();
      ASSERT_NE(token.toLower(), u"file not found");
    }
    ReadProductIdPage(page);
  }
}

}  // namespace
}  // namespace velmaro
