// The bounds both backends' sockets keep on what they read: a notification's share, the
// queue's size under a flood, and the announcements a close cuts short.
#include <gtest/gtest.h>

#include "platform/ReceiveQueue.h"

namespace velmaro::platform {
namespace {

// A system that holds `waiting` datagrams, numbered in their source field.
struct ScriptedSystem {
  int waiting = 0;
  int skipEvery = 0;  // every n-th read is one to skip
  int reads = 0;
  int drained = 0;  // reads made with no room to keep them
  quint32 next = 0;

  ReadOutcome operator()(Datagram* into) {
    if (waiting == 0) return ReadOutcome::NothingWaiting;
    --waiting;
    ++reads;
    if (skipEvery > 0 && reads % skipEvery == 0) return ReadOutcome::Skipped;
    if (into == nullptr) {
      ++drained;
      return ReadOutcome::Taken;
    }
    into->source = next++;
    return ReadOutcome::Taken;
  }
};

TEST(ReceiveQueue, ANotificationTakesItsShareAndAFloodBeyondTheBoundIsDrained) {
  struct Case {
    int waiting;
    int skipEvery;
    int notifications;
    int announced;
    int drained;
  };
  const Case cases[] = {
      {3, 0, 1, 3, 0},
      {1000, 0, 1, ReceiveQueue::kReadsPerNotification, 0},
      {1000, 4, 1, ReceiveQueue::kReadsPerNotification * 3 / 4, 0},
      // 17 notifications' share: the queue fills after 16, the 17th only drains.
      {100000, 0, 17, int(ReceiveQueue::kMaxQueued), ReceiveQueue::kReadsPerNotification},
  };
  for (const Case& c : cases) {
    ReceiveQueue queue;
    ScriptedSystem system{c.waiting, c.skipEvery};
    int announced = 0;
    for (int i = 0; i < c.notifications; ++i) queue.onReadable(system, [&] { ++announced; });
    EXPECT_EQ(announced, c.announced) << c.waiting << " waiting";
    EXPECT_EQ(system.drained, c.drained) << c.waiting << " waiting";
    // Taken in arrival order, then the system is read again once the queue is empty.
    for (int i = 0; i < announced; ++i) {
      const std::optional<Datagram> d = queue.take(system);
      ASSERT_TRUE(d.has_value());
      EXPECT_EQ(d->source, quint32(i));
    }
    if (system.waiting == 0) {
      EXPECT_FALSE(queue.take(system).has_value());
    }
  }
}

TEST(ReceiveQueue, ACloseFromAHandlerEndsTheAnnouncementsAndEmptiesTheQueue) {
  ReceiveQueue queue;
  ScriptedSystem system{10};
  int announced = 0;
  queue.onReadable(system, [&] {
    if (++announced == 2) queue.clear();
  });
  EXPECT_EQ(announced, 2);
  ScriptedSystem closed;
  EXPECT_FALSE(queue.take(closed).has_value());
}

}  // namespace
}  // namespace velmaro::platform
