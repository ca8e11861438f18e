// What a watch tells from a sequence of sightings: every event kind, told once, and the
// bound on the hosts it keeps.
#include <gtest/gtest.h>

#include "form/WatchTable.h"
#include "support/CaseName.h"

namespace velmaro {
namespace {

using namespace Qt::StringLiterals;

// One step of a story: what happens, at which address, for which host; then the events
// told, as "kind ip mac [previous|macs]" texts.
struct Step {
  enum What { Reply, Neighbour, Failed, QueryEnds, Named } what;
  const char* ip = "";
  const char* mac = "";
  std::vector<const char*> told;
};

QString brief(const WatchEvent& event) {
  QString text = WatchEventName(event.kind) + u' ' + event.ip + u' ' + event.mac;
  if (!event.previousIp.isEmpty()) text += u" was "_s + event.previousIp;
  if (!event.macs.isEmpty()) text += u" macs "_s + event.macs.join(u',');
  return text;
}

struct Story {
  const char* name;
  std::vector<Step> steps;
};

const char* const kA = "00-0A-2B-01-80-01";
const char* const kB = "00-0A-2B-01-A0-00";
const char* const kH = "00-1B-21-00-00-40";

const Story kStories[] = {
    {"UnitNewThenSilentThreeQueriesIsGoneThenBack",
     {{Step::Reply, "10.0.0.21", kA, {"new 10.0.0.21 00-0A-2B-01-80-01"}},
      {Step::QueryEnds, "", "", {}},
      {Step::QueryEnds, "", "", {}},
      {Step::QueryEnds, "", "", {}},
      {Step::QueryEnds, "", "", {"gone 10.0.0.21 00-0A-2B-01-80-01"}},
      {Step::QueryEnds, "", "", {}},
      {Step::Reply, "10.0.0.21", kA, {"back 10.0.0.21 00-0A-2B-01-80-01"}}}},
    {"ReplyBetweenMissesStartsTheCountAgain",
     {{Step::Reply, "10.0.0.21", kA, {"new 10.0.0.21 00-0A-2B-01-80-01"}},
      {Step::QueryEnds, "", "", {}},
      {Step::QueryEnds, "", "", {}},
      {Step::QueryEnds, "", "", {}},
      {Step::Reply, "10.0.0.21", kA, {}},
      {Step::QueryEnds, "", "", {}},
      {Step::QueryEnds, "", "", {}},
      {Step::QueryEnds, "", "", {}}}},
    {"UnitReaddressedIsMovedOnceAndStaleNeighbourEntryMovesNothing",
     {{Step::Reply, "10.0.0.25", kB, {"new 10.0.0.25 00-0A-2B-01-A0-00"}},
      {Step::Reply, "10.0.0.29", kB, {"moved 10.0.0.29 00-0A-2B-01-A0-00 was 10.0.0.25"}},
      {Step::Reply, "10.0.0.29", kB, {}},
      {Step::Neighbour, "10.0.0.25", kB, {}}}},
    {"TwoUnitsAnswerForOneAddressIsOneConflictNamingBoth",
     {{Step::Reply, "10.0.0.21", kA, {"new 10.0.0.21 00-0A-2B-01-80-01"}},
      {Step::Reply,
       "10.0.0.21",
       kB,
       {"new 10.0.0.21 00-0A-2B-01-A0-00",
        "conflict 10.0.0.21 00-0A-2B-01-A0-00 macs 00-0A-2B-01-A0-00,00-0A-2B-01-80-01"}},
      {Step::Reply, "10.0.0.21", kA, {}},
      {Step::Reply, "10.0.0.21", kB, {}},
      {Step::Reply, "10.0.0.25", kB, {"moved 10.0.0.25 00-0A-2B-01-A0-00 was 10.0.0.21"}},
      {Step::Reply,
       "10.0.0.21",
       kB,
       {"moved 10.0.0.21 00-0A-2B-01-A0-00 was 10.0.0.25",
        "conflict 10.0.0.21 00-0A-2B-01-A0-00 macs 00-0A-2B-01-A0-00,00-0A-2B-01-80-01"}}}},
    {"NeighbourOnlyHostIsNamedAfterAWholeQueryThenNew",
     {{Step::Neighbour, "10.0.0.40", kH, {}},
      {Step::QueryEnds, "", "", {}},           // seen during this query: it may still answer
      {Step::QueryEnds, "10.0.0.40", kH, {}},  // handed out for naming
      {Step::QueryEnds, "", "", {}},           // never twice
      {Step::Named, "", kH, {"new 10.0.0.40 00-1B-21-00-00-40"}},
      {Step::Neighbour, "10.0.0.41", kH, {"moved 10.0.0.41 00-1B-21-00-00-40 was 10.0.0.40"}},
      {Step::Failed, "10.0.0.40", "", {}},
      {Step::Failed, "10.0.0.41", "", {"gone 10.0.0.41 00-1B-21-00-00-40"}},
      {Step::Neighbour, "10.0.0.41", kH, {"back 10.0.0.41 00-1B-21-00-00-40"}}}},
    {"NeighbourSeenUnitTakesItsReplyAndTheLateNameIsDropped",
     {{Step::Neighbour, "10.0.0.21", kA, {}},
      {Step::Reply, "10.0.0.21", kA, {"new 10.0.0.21 00-0A-2B-01-80-01"}},
      {Step::Named, "", kA, {}},
      {Step::Failed, "10.0.0.21", "", {}}}},
    {"SecondMacOnANeighbourEntryIsAConflictOnceNamed",
     {{Step::Reply, "10.0.0.21", kA, {"new 10.0.0.21 00-0A-2B-01-80-01"}},
      {Step::Neighbour, "10.0.0.21", kH, {}},
      {Step::QueryEnds, "", "", {}},
      {Step::Reply, "10.0.0.21", kA, {}},
      {Step::QueryEnds, "10.0.0.21", kH, {}},
      {Step::Named,
       "",
       kH,
       {"new 10.0.0.21 00-1B-21-00-00-40",
        "conflict 10.0.0.21 00-1B-21-00-00-40 macs 00-1B-21-00-00-40,00-0A-2B-01-80-01"}}}},
};

class WatchStory : public ::testing::TestWithParam<Story> {};

TEST_P(WatchStory, TellsWhatChangedAndOnlyThat) {
  WatchTable table;
  const QDateTime now(QDate(2026, 12, 9), QTime(16, 4, 5, 123), Qt::UTC);
  int number = 0;
  for (const Step& step : GetParam().steps) {
    ++number;
    const QString ip = QString::fromLatin1(step.ip);
    const QString mac = QString::fromLatin1(step.mac);
    std::vector<WatchEvent> told;
    std::vector<HostToName> toName;
    switch (step.what) {
      case Step::Reply:
        table.queryStarted();
        told = table.replied({ip, mac, u"maker"_s, u"unit"_s}, now);
        break;
      case Step::Neighbour:
        told = table.neighbourPresent({ip, mac, u"maker"_s, {}}, now);
        break;
      case Step::Failed:
        told = table.neighbourFailed(ip, now);
        break;
      case Step::QueryEnds:
        told = table.queryEnded(now, &toName);
        table.queryStarted();
        break;
      case Step::Named:
        told = table.named(mac, u"named"_s, now);
        break;
    }
    QStringList got;
    for (const WatchEvent& event : told) {
      got.append(brief(event));
      EXPECT_EQ(event.time, now);
    }
    QStringList want;
    for (const char* text : step.told) want.append(QString::fromLatin1(text));
    EXPECT_EQ(got, want) << "step " << number;
    if (step.what == Step::QueryEnds) {
      EXPECT_EQ(toName.size(), ip.isEmpty() ? 0u : 1u) << "step " << number;
      if (!toName.empty()) {
        EXPECT_EQ(toName.front().mac, mac) << "step " << number;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stories, WatchStory, ::testing::ValuesIn(kStories),
                         [](const ::testing::TestParamInfo<Story>& story) {
                           return std::string(story.param.name);
                         });

TEST(WatchTable, KeepsAtMostItsBoundAndForgetsTheHostHeardFromLongestAgo) {
  const QDateTime now(QDate(2026, 12, 9), QTime(16, 0), Qt::UTC);
  WatchTable table;
  auto macOf = [](int n) {
    return u"02-00-00-00-%1-%2"_s.arg(n / 256, 2, 16, QChar(u'0')).arg(n % 256, 2, 16, QChar(u'0'));
  };
  auto unit = [](const QString& ip, const QString& mac) { return HostSighting{ip, mac, {}, {}}; };
  for (int n = 0; n < tunables::kMaxWatchHosts; ++n) {
    table.replied(unit(u"10.1.%1.%2"_s.arg(n / 256).arg(n % 256), macOf(n)), now);
  }
  table.replied(unit(u"10.1.0.0"_s, macOf(0)), now);  // heard from again: kept
  for (int n = tunables::kMaxWatchHosts; n < tunables::kMaxWatchHosts + 100; ++n) {
    table.replied(unit(u"10.2.0.1"_s, macOf(n)), now);
  }
  EXPECT_EQ(table.totals().hosts, tunables::kMaxWatchHosts);
  EXPECT_EQ(table.totals().forgotten, 100);
  // Host 0 is still known (no second "new"); host 1 was forgotten (a second one).
  EXPECT_TRUE(table.replied(unit(u"10.1.0.0"_s, macOf(0)), now).empty());
  const auto again = table.replied(unit(u"10.1.0.1"_s, macOf(1)), now);
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again.front().kind, WatchEventKind::New);
}

}  // namespace
}  // namespace velmaro
