// The paced engine on the tests' clock: when each request goes out for a rate and a burst,
// and that every address is reported once, answered or missed, before the run ends.
#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "scan/EchoStream.h"
#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/FakeEchoSocket.h"
#include "support/FakePlatform.h"

namespace velmaro {
namespace {

struct PaceCase {
  int rate;
  int burst;
  int count;
  std::vector<qint64> sentAt;  // ms from the start
};
void PrintTo(const PaceCase& c, std::ostream* os) {
  *os << c.count << " at " << c.rate << "/s after " << c.burst;
}

class EchoStreamPace : public ::testing::TestWithParam<PaceCase> {};

TEST_P(EchoStreamPace, SendsTheBurstThenAtTheRate) {
  const PaceCase& c = GetParam();
  test::FakeClock clock;
  test::FakeEchoNetwork net(&clock);
  const quint32 first = test::ipv4("10.1.2.1");
  net.answer(first, 3);
  const qint64 start = clock.monotonicMs();
  std::vector<qint64> sentAt;
  std::map<quint32, std::vector<qint32>> reports;
  quint32 next = first;
  EchoStream::Settings settings{QByteArray("PINGDATAMESSAGE"), 1000, c.rate, c.burst};
  EchoStream stream(
      net.open().socket, clock,
      [&]() -> std::optional<quint32> {
        if (next == first + quint32(c.count)) return std::nullopt;
        sentAt.push_back(clock.monotonicMs() - start);
        return next++;
      },
      settings, [&](quint32 address, qint32 status) { reports[address].push_back(status); });
  bool ended = false;
  WaitLoop wait;
  stream.start([&] {
    ended = true;
    wait.end();
  });
  wait.run();
  ASSERT_TRUE(ended);

  EXPECT_EQ(sentAt, c.sentAt);
  ASSERT_EQ(reports.size(), size_t(c.count));
  EXPECT_EQ(reports[first], std::vector<qint32>{3});
  for (quint32 silent = first + 1; silent < first + quint32(c.count); ++silent)
    EXPECT_EQ(reports[silent], std::vector<qint32>{-1});
  // The last request's time-out ends the run, not a moment later.
  EXPECT_EQ(clock.monotonicMs() - start, c.sentAt.back() + 1000);
}

INSTANTIATE_TEST_SUITE_P(Rates, EchoStreamPace,
                         ::testing::Values(PaceCase{100, 3, 6, {0, 0, 0, 10, 20, 30}},
                                           PaceCase{1000, 1, 4, {0, 1, 2, 3}},
                                           PaceCase{3, 1, 3, {0, 334, 667}},
                                           PaceCase{250, 256, 2, {0, 0}}));

}  // namespace
}  // namespace velmaro
