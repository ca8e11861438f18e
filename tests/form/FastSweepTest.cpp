// The fast sweep's order on the tests' clock: a host that answers is named from its pages
// while the silent addresses still wait out their time-out, and a host whose neighbour
// entry is not complete yet gets its MAC from one more reading at the end, before its name.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "SweepTestSupport.h"
#include "form/FastSweep.h"
#include "identify/HttpFetch.h"
#include "support/LoopbackUnit.h"

namespace velmaro {
namespace {

constexpr qint64 kSilentTimeoutMs = 1000;  // each request waits twice the time-out box
const QString kUnit = QStringLiteral("127.0.0.1");

struct FastRig : test::SweepRig {
  explicit FastRig(lab::PageSet pages = test::MetaPages(QStringLiteral("Fast unit")))
      : unit(std::move(pages)) {
    clock.setRunsWhenIdle(false);  // the page comes over a real socket: the clock waits for it
    controls.texts[TextBox::PingTO] = QStringLiteral("500");
    controls.texts[TextBox::HTTPPort] = unit.portText();
    net.answer(test::ipv4("127.0.0.1"), 1);
    // 127.0.0.1 answers; the 19 after it stay silent.
    request.targets = TargetList{{{test::ipv4("127.0.0.1"), test::ipv4("127.0.0.20")}}};
  }

  // Runs the sweep, moving the clock by hand: 1 ms at a time until the unit's row is there,
  // then not at all while `waitForName` holds and its name has not come (5 s of real time
  // at most), then 50 ms at a time. `onRow` runs once when the row appears.
  void run(bool waitForName, const std::function<void()>& onRow = {}) {
    const qint64 start = clock.monotonicMs();
    QElapsedTimer real;
    real.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      const auto row = list.findByText(kUnit);
      if (row && !rowSeen) {
        rowSeen = true;
        if (onRow) onRow();
      }
      const QString name = row ? list.cell(*row, list.GetColumnIndex(u"name")) : QString();
      if (row && namedAt < 0 && name != u"???" && name != u"Testing...")
        namedAt = clock.monotonicMs() - start;
      if (!row) {
        clock.advance(1);
      } else if (namedAt >= 0 || !waitForName || real.elapsed() > 5000) {
        clock.advance(50);
      }
    });
    tick.start(1);
    outcome = RunFastSweep(form, sweep, http, request);
    tick.stop();
    if (namedAt < 0 && rowSeen) namedAt = clock.monotonicMs() - start;  // named at the end
  }
  QString unitCell(const char* key) const { return cell(*row(kUnit.toLatin1().constData()), key); }

  test::LoopbackUnit unit;
  QRandomGenerator random;
  HttpFetch http{log, clock, platform, random};
  FastSweepRequest request;
  ScanOutcome outcome = ScanOutcome::Busy;
  bool rowSeen = false;
  qint64 namedAt = -1;  // on the clock, from the start of the sweep
};

TEST(FastSweep, NamesAHostWhileTheSilentAddressesStillWait) {
  FastRig rig;
  ASSERT_TRUE(rig.unit.ok());
  rig.platform.neighbourText = QByteArray("  127.0.0.1   00-0a-2b-01-80-99   dynamic\r\n");
  rig.run(true);
  ASSERT_EQ(rig.outcome, ScanOutcome::Completed);
  ASSERT_EQ(rig.list.count(), 1);
  EXPECT_GE(rig.namedAt, 0);
  EXPECT_LT(rig.namedAt, kSilentTimeoutMs);
  EXPECT_EQ(rig.unitCell("name"), u"Fast unit");
  EXPECT_EQ(rig.unitCell("mfg"), u"Norvikta, Inc");      // from the table's MAC, read at once
  EXPECT_EQ(rig.unitCell("mac"), u"00-0A-2B-01-80-01");  // then the page's own
  EXPECT_EQ(rig.unit.requests(), QStringList{QStringLiteral("id.htm")});
  EXPECT_EQ(rig.net.sent.size(), 20u);
}

TEST(FastSweep, AHostNotYetInTheNeighbourTableIsReadAgainAtTheEndThenNamed) {
  lab::PageSet home;
  home.homeTitle = QStringLiteral("Lab Web Host");
  home.homePages = {QStringLiteral("index.htm")};
  FastRig rig(home);
  ASSERT_TRUE(rig.unit.ok());
  rig.controls.checks[CheckBox::ParseNVIDs] = 0;
  rig.controls.checks[CheckBox::ParseGenIDs] = 1;
  // The entry completes only after the answer was handled.
  rig.run(false, [&] {
    rig.platform.neighbourText = QByteArray("  127.0.0.1   00-16-3e-00-00-33   dynamic\r\n");
  });
  ASSERT_EQ(rig.outcome, ScanOutcome::Completed);
  EXPECT_EQ(rig.unitCell("mac"), u"00-16-3E-00-00-33");
  EXPECT_EQ(rig.unitCell("name"), u"Lab Web Host");
  EXPECT_GE(rig.namedAt, kSilentTimeoutMs);  // its pages wait for its MAC
  EXPECT_EQ(rig.unit.requests(), QStringList{QStringLiteral("index.htm")});
}

}  // namespace
}  // namespace velmaro
