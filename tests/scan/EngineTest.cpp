// The echo engine over a scripted network: one outcome per entry, blocks, time-outs,
// refusals, stray replies, failures of handlers and the window closing.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <map>

#include "scan/ClassPingBase.h"
#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/FakeEchoSocket.h"
#include "support/FakePlatform.h"
#include "support/VbError.h"

using namespace Qt::StringLiterals;

namespace velmaro::test {
namespace {

struct Outcome {
  bool success = false;
  QString address;
  qint32 status = 0;
  qint32 index = 0;
  size_t sentBefore = 0;  // requests the network had seen when the event was raised
};

class EngineTest : public ::testing::Test {
 protected:
  explicit EngineTest(FakeClock* clock = nullptr) : net(clock) {
    platform.echoFactory = [this] { return net.open(); };
  }
  void SetUp() override { ResetWaitAbort(); }
  void TearDown() override { ResetWaitAbort(); }

  void record(ClassPingBase& e) {
    QObject::connect(&e, &ClassPingBase::PingSuccess, &e,
                     [this](const QString& a, qint32 s, qint32 i) {
                       outcomes.push_back({true, a, s, i, net.sent.size()});
                     });
    QObject::connect(&e, &ClassPingBase::PingFail, &e,
                     [this](const QString& a, qint32 s, qint32 i) {
                       outcomes.push_back({false, a, s, i, net.sent.size()});
                     });
  }

  std::vector<qint32> indexes() const {
    std::vector<qint32> out;
    for (const auto& o : outcomes) out.push_back(o.index);
    return out;
  }

  FakeEchoNetwork net;
  FakePlatform platform;
  std::vector<Outcome> outcomes;
};

// The same with a clock that moves only when a reply arrives, so round-trip times are
// exact.
class EngineClockTest : public EngineTest {
 protected:
  EngineClockTest() : EngineTest(&clock) {}
  FakeClock clock;
};

TEST_F(EngineTest, NewEngineIsIdleWithBlocksOf500) {
  ClassPingBase engine(platform);
  EXPECT_EQ(engine.NumParalellActions(), 500);
  EXPECT_FALSE(engine.ListPingRunning());
  engine.setNumParalellActions(-3);
  EXPECT_EQ(engine.NumParalellActions(), -3);  // kept as given
}

TEST_F(EngineTest, OneReachableOneSilent) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 2);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 100, 5000);

  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_EQ(outcomes[0].address, u"10.0.0.1"_s);
  EXPECT_EQ(outcomes[0].index, 0);
  EXPECT_GE(outcomes[0].status, 0);
  EXPECT_FALSE(outcomes[1].success);
  EXPECT_EQ(outcomes[1].address, u"10.0.0.2"_s);
  EXPECT_EQ(outcomes[1].status, -1);
  EXPECT_EQ(outcomes[1].index, 1);
  EXPECT_FALSE(engine.ListPingRunning());
  EXPECT_EQ(net.opened, 1);
  EXPECT_EQ(net.openNow(), 0);  // the socket lives only for the call
}

TEST_F(EngineTest, SendsTheListDataWithTheIndexAsSequence) {
  ClassPingBase engine(platform);
  engine.PingHostList({u"10.0.0.7"_s, u"10.0.0.8"_s, u"10.0.0.9"_s}, 20, 1000);
  ASSERT_EQ(net.requests.size(), 3u);
  for (quint16 i = 0; i < 3; ++i) {
    EXPECT_EQ(net.requests[i].data, QByteArray("PINGDATAMESSAGE"));
    EXPECT_EQ(net.requests[i].data.size(), 15);
    EXPECT_EQ(net.requests[i].sequence, i);
    EXPECT_EQ(net.requests[i].destination, ipv4("10.0.0.7") + i);
  }
}

TEST_F(EngineTest, AllSilentEachMissedOnce) {
  ClassPingBase engine(platform);
  record(engine);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}, 30, 60000);
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(indexes(), (std::vector<qint32>{0, 1, 2}));
  for (const auto& o : outcomes) {
    EXPECT_FALSE(o.success);
    EXPECT_EQ(o.status, -1);
  }
}

// The overall limit ends the run before a slow host answers; what is left is reported at
// the finish in index order, after what ended during the run.
TEST_F(EngineTest, OverallLimitShorterThanRequestLimit) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.2"), 400);  // answers well inside its own limit, too late overall
  net.answer(ipv4("10.0.0.3"), 1);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}, 5000, 150);

  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_EQ(outcomes[0].index, 2);
  EXPECT_FALSE(outcomes[1].success);
  EXPECT_EQ(outcomes[1].index, 0);
  EXPECT_FALSE(outcomes[2].success);
  EXPECT_EQ(outcomes[2].index, 1);
  EXPECT_EQ(outcomes[2].status, -1);
}

TEST_F(EngineTest, BlocksStartOnlyWhenThePreviousBlockHasEnded) {
  ClassPingBase engine(platform);
  record(engine);
  engine.setNumParalellActions(2);
  net.answer(ipv4("10.0.0.1"), 1);  // entry 0 ends at once, entry 1 (silent) holds block 1
  net.answer(ipv4("10.0.0.3"), 1);
  net.answer(ipv4("10.0.0.4"), 1);
  net.answer(ipv4("10.0.0.5"), 1);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s, u"10.0.0.4"_s, u"10.0.0.5"_s},
                      60, 60000);

  ASSERT_EQ(net.sent.size(), 5u);
  for (quint32 i = 0; i < 5; ++i) EXPECT_EQ(net.sent[i], ipv4("10.0.0.1") + i);
  std::map<qint32, Outcome> byIndex;
  for (const auto& o : outcomes) byIndex[o.index] = o;
  ASSERT_EQ(byIndex.size(), 5u);
  // Block 1 = entries 0-1, block 2 = 2-3, block 3 = 4.
  EXPECT_EQ(byIndex[0].sentBefore, 2u);
  EXPECT_EQ(byIndex[1].sentBefore, 2u);
  EXPECT_FALSE(byIndex[1].success);
  EXPECT_EQ(byIndex[2].sentBefore, 4u);
  EXPECT_EQ(byIndex[3].sentBefore, 4u);
  EXPECT_EQ(byIndex[4].sentBefore, 5u);
  EXPECT_TRUE(byIndex[4].success);
}

TEST_F(EngineTest, BlockSizeBelowOneActsAsOne) {
  ClassPingBase engine(platform);
  record(engine);
  engine.setNumParalellActions(0);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}, 20, 60000);
  ASSERT_EQ(outcomes.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(outcomes[i].index, qint32(i));
    EXPECT_EQ(outcomes[i].sentBefore, i + 1);  // one request in flight at a time
  }
}

TEST_F(EngineTest, CallFromInsideAHandlerIsRefused) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 1);
  bool runningInside = false;
  size_t outcomesAfterInner = 0;
  QObject::connect(&engine, &ClassPingBase::PingSuccess, &engine, [&] {
    runningInside = engine.ListPingRunning();
    const size_t before = outcomes.size();
    engine.PingHostList({u"10.0.0.9"_s, u"10.0.0.10"_s}, 20, 100);
    outcomesAfterInner = outcomes.size() - before;
  });
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 40, 5000);

  EXPECT_TRUE(runningInside);
  EXPECT_EQ(outcomesAfterInner, 0u);
  EXPECT_EQ(net.sent, (std::vector<quint32>{ipv4("10.0.0.1"), ipv4("10.0.0.2")}));
  EXPECT_EQ(net.opened, 1);
  EXPECT_EQ(outcomes.size(), 2u);
  EXPECT_FALSE(engine.ListPingRunning());
}

TEST_F(EngineTest, EngineCanBeUsedAgainAfterAList) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 1);
  engine.PingHostList({u"10.0.0.1"_s}, 200, 1000);
  engine.PingHostList({u"10.0.0.1"_s}, 200, 1000);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_TRUE(outcomes[1].success);
  EXPECT_EQ(net.opened, 2);
}

// A reply of a request that already timed out comes in while the run goes on: the entry
// stays missed and is not reported again.
TEST_F(EngineTest, LateReplyIsNotCounted) {
  ClassPingBase engine(platform);
  record(engine);
  engine.setNumParalellActions(1);
  net.answer(ipv4("10.0.0.1"), 45);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}, 30, 60000);

  EXPECT_EQ(net.delivered, 1);  // the late reply did reach the socket during the run
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(indexes(), (std::vector<qint32>{0, 1, 2}));
  for (const auto& o : outcomes) EXPECT_FALSE(o.success);
}

TEST_F(EngineClockTest, RoundTripTimeFromTheClock) {
  ClassPingBase engine(platform, clock);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 7);
  net.answer(ipv4("10.0.0.2"), 12);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 5000, 60000);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].status, 7);
  EXPECT_EQ(outcomes[1].status, 12);
}

// A near host answers while the rest of the block is still being sent: its time is its
// own, not its own plus the time the other sends took.
// Time-outs pass on the engine's clock: a minute-long request limit takes no real time.
TEST_F(EngineClockTest, SilentHostsAreMissedWhenTheirTimeOutPassesOnTheClock) {
  ClassPingBase engine(platform, clock);
  record(engine);
  net.answer(ipv4("10.0.0.2"), 25000);
  QElapsedTimer real;
  real.start();
  const qint64 start = clock.monotonicMs();
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 60000, 120000);
  EXPECT_LT(real.elapsed(), 5000);
  EXPECT_EQ(clock.monotonicMs() - start, 60000);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_EQ(outcomes[0].status, 25000);
  EXPECT_FALSE(outcomes[1].success);
  EXPECT_EQ(outcomes[1].index, 0);
}

TEST_F(EngineClockTest, NearHostsTimeIsNotStretchedByTheRestOfTheBlock) {
  ClassPingBase engine(platform, clock);
  record(engine);
  net.setSendCost(2);
  for (const char* host : {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"})
    net.answer(ipv4(host), 0);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s, u"10.0.0.4"_s}, 1000, 60000);
  ASSERT_EQ(outcomes.size(), 4u);
  for (size_t i = 0; i < outcomes.size(); ++i) {
    EXPECT_TRUE(outcomes[i].success);
    EXPECT_EQ(outcomes[i].index, qint32(i));
    EXPECT_EQ(outcomes[i].status, 2);  // one send's cost; up to 8 if read after the whole block
    EXPECT_EQ(outcomes[i].sentBefore, i + 1);
  }
}

// Replies that are not for this request: wrong data, wrong source, wrong sequence. None
// of them may end the entry; the real reply does, with its own time.
TEST_F(EngineClockTest, StrayRepliesAreNotCounted) {
  ClassPingBase engine(platform, clock);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 40);
  QTimer::singleShot(0, [this] {
    net.injectStray(ipv4("10.0.0.1"), 0, "PINGDATAMESSAGX", 5);
    net.injectStray(ipv4("10.0.0.1"), 0, "TESTMESSAGE", 5);
    net.injectStray(ipv4("10.0.0.9"), 0, "PINGDATAMESSAGE", 5);
    net.injectStray(ipv4("10.0.0.1"), 1, "PINGDATAMESSAGE", 5);
    net.injectStray(ipv4("10.0.0.2"), 0, "PINGDATAMESSAGE", 5);
  });
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 300, 60000);  // 10.0.0.2 silent
  EXPECT_EQ(net.delivered, 6);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].index, 0);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_EQ(outcomes[0].status, 40);
  EXPECT_EQ(outcomes[1].index, 1);
  EXPECT_FALSE(outcomes[1].success);
}

TEST_F(EngineTest, TextsThatAreNoAddressAreNeverSent) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.4"), 1);
  const QStringList list{u"256.1.1.1"_s, u"a.b.c.d"_s,         u""_s,
                         u"10.0.0.4"_s,  u"255.255.255.255"_s, u"1.2.3."_s};
  engine.PingHostList(list, 100, 5000);

  EXPECT_EQ(net.sent, std::vector<quint32>{ipv4("10.0.0.4")});
  ASSERT_EQ(outcomes.size(), list.size());
  std::map<qint32, Outcome> byIndex;
  for (const auto& o : outcomes) byIndex[o.index] = o;
  for (qint32 i = 0; i < list.size(); ++i) {
    EXPECT_EQ(byIndex[i].address, list[i]) << i;
    EXPECT_EQ(byIndex[i].success, i == 3) << i;
  }
}

TEST_F(EngineTest, RequestRefusedBySystemIsMissedAtOnce) {
  ClassPingBase engine(platform);
  record(engine);
  net.refuseSend(ipv4("10.0.0.1"));
  net.answer(ipv4("10.0.0.2"), 30);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 2000, 5000);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].index, 0);  // before the answer of the other
  EXPECT_FALSE(outcomes[0].success);
  EXPECT_TRUE(outcomes[1].success);
}

// A full queue (EAGAIN, ENOBUFS) is not a miss: the request goes out once the socket can
// take it, within the entry's own time-out, and each entry still ends exactly once.
TEST_F(EngineTest, RequestRefusedForNowIsSentAgainOnceTheSocketTakesIt) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 1);
  net.answer(ipv4("10.0.0.2"), 1);
  net.refuseForNow(ipv4("10.0.0.1"), 3);
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 2000, 5000);
  ASSERT_EQ(outcomes.size(), 2u);
  for (const Outcome& o : outcomes) EXPECT_TRUE(o.success) << o.address.toStdString();
  EXPECT_EQ(net.refusedForNow, 3);
  EXPECT_EQ(std::count(net.sent.begin(), net.sent.end(), ipv4("10.0.0.1")), 1);
}

TEST_F(EngineTest, RequestRefusedUntilItsTimeOutIsMissedOnce) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 1);
  net.answer(ipv4("10.0.0.2"), 1);
  net.refuseForNow(ipv4("10.0.0.1"), 1000000);
  QElapsedTimer timer;
  timer.start();
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 150, 5000);
  EXPECT_GE(timer.elapsed(), 140);
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_EQ(outcomes[0].index, 1);
  EXPECT_FALSE(outcomes[1].success);
  EXPECT_EQ(outcomes[1].index, 0);
  EXPECT_TRUE(net.sent == std::vector<quint32>{ipv4("10.0.0.2")});
  // Tried again now and then, never in a busy loop.
  EXPECT_GT(net.refusedForNow, 1);
  EXPECT_LT(net.refusedForNow, 100);
}

TEST_F(EngineTest, NoSocketIsToldOnceAndEveryEntryMissed) {
  ClassPingBase engine(platform);
  net.denyPermission(true);
  std::vector<QString> log;
  QObject::connect(&engine, &ClassPingBase::EchoUnavailable, &engine,
                   [&](const QString& reason, bool denied) {
                     log.push_back(QStringLiteral("unavailable %1 %2").arg(reason).arg(denied));
                   });
  QObject::connect(&engine, &ClassPingBase::PingFail, &engine,
                   [&](const QString& a, qint32 s, qint32 i) {
                     log.push_back(QStringLiteral("fail %1 %2 %3").arg(a).arg(s).arg(i));
                   });
  QObject::connect(&engine, &ClassPingBase::PingSuccess, &engine,
                   [&] { log.push_back(QStringLiteral("success")); });
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}, 100, 1000);

  EXPECT_EQ(log, (std::vector<QString>{u"unavailable Operation not permitted 1"_s,
                                       u"fail 10.0.0.1 -1 0"_s, u"fail 10.0.0.2 -1 1"_s,
                                       u"fail 10.0.0.3 -1 2"_s}));
  EXPECT_TRUE(net.sent.empty());
  EXPECT_FALSE(engine.ListPingRunning());
}

// The window closes while the engine sleeps: the call ends at once instead of at its
// one-minute limit, and still reports every entry.
TEST_F(EngineTest, ClosingTheWindowEndsTheRunAtOnce) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.1"), 1);
  QTimer::singleShot(50, [] { AbortAllWaits(); });
  QElapsedTimer elapsed;
  elapsed.start();
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}, 60000, 60000);

  EXPECT_LT(elapsed.elapsed(), 30000);
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_TRUE(outcomes[0].success);
  EXPECT_EQ(outcomes[1].index, 1);
  EXPECT_EQ(outcomes[2].index, 2);
  EXPECT_FALSE(outcomes[2].success);
  EXPECT_EQ(net.openNow(), 0);
}

TEST_F(EngineTest, WindowAlreadyClosingSendsNothing) {
  ClassPingBase engine(platform);
  record(engine);
  AbortAllWaits();
  engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s}, 60000, 60000);
  EXPECT_TRUE(net.sent.empty());
  EXPECT_EQ(indexes(), (std::vector<qint32>{0, 1}));
  EXPECT_EQ(engine.PingHostSingle(u"10.0.0.1"_s, 0), -1);
}

// A handler fails in the middle: every other entry is still reported once, in index
// order, the socket is released, and only then does the failure reach the caller.
TEST_F(EngineTest, FailingHandlerStillEndsEveryEntry) {
  ClassPingBase engine(platform);
  record(engine);
  net.answer(ipv4("10.0.0.2"), 1);
  QObject::connect(&engine, &ClassPingBase::PingSuccess, &engine,
                   [] { throw err::objectNotSet(); });
  bool thrown = false;
  try {
    engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s, u"10.0.0.4"_s}, 60000, 60000);
  } catch (const VbError& e) {
    thrown = e.number == 91;
  }
  EXPECT_TRUE(thrown);
  EXPECT_EQ(indexes(), (std::vector<qint32>{1, 0, 2, 3}));
  EXPECT_EQ(net.openNow(), 0);
  EXPECT_FALSE(engine.ListPingRunning());
}

TEST_F(EngineTest, FailingReportOfAMissStillReportsTheRest) {
  ClassPingBase engine(platform);
  record(engine);
  QObject::connect(&engine, &ClassPingBase::PingFail, &engine,
                   [](const QString&, qint32, qint32 i) {
                     if (i == 0) throw err::indexOutOfBounds();
                   });
  EXPECT_THROW(engine.PingHostList({u"10.0.0.1"_s, u"10.0.0.2"_s, u"10.0.0.3"_s}, 10, 60000),
               VbError);
  EXPECT_EQ(indexes(), (std::vector<qint32>{0, 1, 2}));
}

TEST_F(EngineClockTest, SinglePingReturnsTheRoundTripTime) {
  ClassPingBase engine(platform, clock);
  record(engine);
  net.answer(ipv4("10.0.0.5"), 9);
  EXPECT_EQ(engine.PingHostSingle(u"10.0.0.5"_s, 0), 9);
  ASSERT_EQ(net.requests.size(), 1u);
  EXPECT_EQ(net.requests[0].data, QByteArray("TESTMESSAGE"));
  EXPECT_TRUE(outcomes.empty());  // no events for a single ping
}

TEST_F(EngineClockTest, SinglePingWithoutReplyOrSocket) {
  ClassPingBase engine(platform, clock);
  const qint64 start = clock.monotonicMs();
  EXPECT_EQ(engine.PingHostSingle(u"10.0.0.5"_s, 0), -1);  // silent: after its second
  EXPECT_EQ(clock.monotonicMs() - start, 1000);
  EXPECT_EQ(engine.PingHostSingle(u"a.b.c.d"_s, 0), -1);  // never sent
  EXPECT_EQ(net.sent.size(), 1u);
  net.denyPermission(true);
  EXPECT_EQ(engine.PingHostSingle(u"10.0.0.5"_s, 0), -2);
}

// A whole /24 plus its edges, for several block sizes: every entry is reported exactly
// once, with its own text, and only the answering hosts succeed.
class EngineListTest : public EngineClockTest, public ::testing::WithParamInterface<qint32> {};

TEST_P(EngineListTest, EveryEntryReportedExactlyOnce) {
  ClassPingBase engine(platform, clock);
  record(engine);
  engine.setNumParalellActions(GetParam());
  QStringList list;
  for (int i = 0; i < 256; ++i) {
    list << QStringLiteral("10.1.2.%1").arg(i);
    if (i % 3 == 0) net.answer(ipv4("10.1.2.0") + quint32(i), 1 + i % 7);
  }
  engine.PingHostList(list, 40, 600000);

  ASSERT_EQ(outcomes.size(), 256u);
  std::vector<int> seen(256, 0);
  for (const auto& o : outcomes) {
    ASSERT_GE(o.index, 0);
    ASSERT_LT(o.index, 256);
    ++seen[size_t(o.index)];
    EXPECT_EQ(o.address, list[o.index]);
    EXPECT_EQ(o.success, o.index % 3 == 0) << o.index;
    if (!o.success) {
      EXPECT_EQ(o.status, -1);
    }
  }
  for (int i = 0; i < 256; ++i) EXPECT_EQ(seen[size_t(i)], 1) << i;
  EXPECT_EQ(net.sent.size(), 256u);
}

INSTANTIATE_TEST_SUITE_P(BlockSizes, EngineListTest, ::testing::Values(1000, 100, 9));

}  // namespace
}  // namespace velmaro::test
