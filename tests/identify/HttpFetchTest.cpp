// HTTP_Download against the lab's simulated unit on loopback: the time-out on the injected
// clock, the cap, the charset, and a fetch started while another one waits. The page rules
// are tested through PopulateItemName; proxies and redirects across hosts in the lab.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTcpServer>
#include <QTimer>
#include <functional>

#include "identify/HttpFetch.h"
#include "identify/ProductPages.h"
#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/FakePlatform.h"
#include "support/LoopbackUnit.h"
#include "support/RecordingReporter.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

const QString kLocal = QStringLiteral("127.0.0.1");
const QString kIdPage = QString::fromUtf16(kProductIdPage);
const QString kIdTitle = QString::fromUtf16(kProductIdTitle);

class HttpFetchTest : public ::testing::Test {
 protected:
  QString get(quint16 port, const QString& page, const QString& required, qint32 timeoutMs = 5000) {
    return m_http.HTTP_Download(kLocal, port, page, required, timeoutMs);
  }
  // Runs `action` once, `ms` after the fetch under test started waiting.
  static void after(int ms, std::function<void()> action) {
    QTimer::singleShot(ms, std::move(action));
  }

  test::RecordingReporter m_log;
  test::FakeClock m_fakeClock;
  test::FakePlatform m_platform;
  QRandomGenerator m_random;
  HttpFetch m_http{m_log, Clock::system(), m_platform, m_random};
  HttpFetch m_fakeTimeHttp{m_log, m_fakeClock, m_platform, m_random};
};

TEST_F(HttpFetchTest, ZeroTimeOutNeverWaits) {
  test::LoopbackUnit unit(test::MetaPages());
  ASSERT_TRUE(unit.ok());
  EXPECT_EQ(get(unit.port(), kIdPage, kIdTitle, 0), u"");
  EXPECT_EQ(ReadProductIdPage(get(unit.port(), kIdPage, kIdTitle)).name, u"NV-CAM-1000 Front door");
}

TEST_F(HttpFetchTest, SilentUnitCostsExactlyTheTimeOutOnTheClock) {
  test::LoopbackUnit unit(test::SilentPages());
  ASSERT_TRUE(unit.ok());
  QStringList events;
  // The real timer stands a minute away; the injected clock decides.
  after(150, [&] {
    m_fakeClock.advance(59999);
    events << QStringLiteral("59999");
  });
  after(250, [&] {
    m_fakeClock.advance(1);
    events << QStringLiteral("60000");
  });
  const QString page = m_fakeTimeHttp.HTTP_Download(kLocal, unit.port(), kIdPage, {}, 60000);
  events << QStringLiteral("returned");
  EXPECT_EQ(page, u"");
  EXPECT_EQ(events.join(u' '), u"59999 60000 returned");
  EXPECT_EQ(unit.requests().join(u' '), u"id.htm");
}

TEST_F(HttpFetchTest, SilentUnitEndsAtTheRealTimerWhenTheClockStandsStill) {
  test::LoopbackUnit unit(test::SilentPages());
  ASSERT_TRUE(unit.ok());
  EXPECT_EQ(m_fakeTimeHttp.HTTP_Download(kLocal, unit.port(), kIdPage, {}, 100), u"");
}

TEST_F(HttpFetchTest, ClosingTheWindowEndsTheWait) {
  test::LoopbackUnit unit(test::SilentPages());
  ASSERT_TRUE(unit.ok());
  after(150, [] { AbortAllWaits(); });
  const QString page = m_fakeTimeHttp.HTTP_Download(kLocal, unit.port(), kIdPage, {}, 60000);
  const QString afterwards = get(unit.port(), kIdPage, {});
  ResetWaitAbort();
  EXPECT_EQ(page, u"");
  EXPECT_EQ(afterwards, u"");
  EXPECT_EQ(unit.requests().join(u' '), u"id.htm") << "a closing window sends nothing more";
}

TEST_F(HttpFetchTest, EndlessBodyEndsAtTheCap) {
  lab::PageSet pages = test::MetaPages();
  pages.behaviour = lab::WebBehaviour::Endless;
  test::LoopbackUnit unit(pages);
  ASSERT_TRUE(unit.ok());
  const QString page = get(unit.port(), kIdPage, kIdTitle, 20000);
  EXPECT_EQ(page.size(), tunables::kMaxPageBytes);
  EXPECT_EQ(ReadProductIdPage(page).name, u"NV-CAM-1000 Front door");
}

TEST_F(HttpFetchTest, BytesAreLatin1WhateverTheServerClaims) {
  test::ScriptedServer server(
      "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
      "<title>Caf\xe9 \xc3\xa9</title>");
  EXPECT_EQ(ReadPageTitle(get(server.port(), kIdPage, {})),
            QString::fromLatin1("Caf\xe9 \xc3\xa9"));
}

TEST_F(HttpFetchTest, FetchDuringAWaitNeverTakesTheOthersAnswer) {
  test::LoopbackUnit silent(test::SilentPages());
  test::LoopbackUnit talking(test::MetaPages(QStringLiteral("Inner unit")));
  ASSERT_TRUE(silent.ok() && talking.ok());
  QString inner;
  after(150, [&] {
    inner = m_fakeTimeHttp.HTTP_Download(kLocal, talking.port(), kIdPage, kIdTitle, 5000);
    m_fakeClock.advance(60000);  // the outer fetch's time is up once the inner one is done
  });
  const QString outer =
      m_fakeTimeHttp.HTTP_Download(kLocal, silent.port(), kIdPage, kIdTitle, 60000);
  EXPECT_TRUE(inner.contains(u"Inner unit"));
  EXPECT_EQ(outer, u"");
}

TEST_F(HttpFetchTest, FetchesNestedInTheSettlingPauseEachGetTheirOwnPage) {
  test::LoopbackUnit first(test::MetaPages(QStringLiteral("First unit")));
  test::LoopbackUnit second(test::MetaPages(QStringLiteral("Second unit")));
  ASSERT_TRUE(first.ok() && second.ok());
  QString inner;
  after(0, [&] { inner = get(second.port(), kIdPage, kIdTitle); });
  const QString outer = get(first.port(), kIdPage, kIdTitle);
  EXPECT_TRUE(inner.contains(u"Second unit"));
  EXPECT_TRUE(outer.contains(u"First unit"));
}

TEST_F(HttpFetchTest, HostTheMachineRefusesIsReportedAndNeverAsked) {
  EXPECT_EQ(m_http.HTTP_Download(QStringLiteral("192.0.2.1"), 80, kIdPage, {}, 20), u"");
  EXPECT_EQ(m_http.HTTP_Download(QStringLiteral("not a host"), 80, kIdPage, {}, 20), u"");
  // The request cannot be opened, and then not be sent: each failure has its report.
  const QString report = QStringLiteral(
      "Error 5 (Invalid procedure call or argument) in procedure HTTP_Download of Module "
      "modDataProcess on line %1");
  const QStringList once{report.arg(50), report.arg(60)};
  EXPECT_EQ(m_log.reports, once + once);
}

}  // namespace
}  // namespace velmaro
