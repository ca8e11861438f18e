// The datagrams a socket has read from the system and the program has not yet taken. Both
// backends' sockets keep one: it bounds what a read notification takes and what waits, so a
// flood is dropped rather than buffered, and it tells the program once per datagram.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "platform/DatagramSocket.h"

namespace velmaro::platform {

// What one read from the system gave.
enum class ReadOutcome {
  Taken,           // a datagram, filled in
  Skipped,         // one not worth keeping (too long, an old error report, an interruption)
  NothingWaiting,  // the system holds no more, or the socket is closed
};

class ReceiveQueue {
 public:
  // Datagrams read in one notification; the rest wait for the next one.
  static constexpr int kReadsPerNotification = 256;
  // Datagrams held for the program to take; a flood beyond this is dropped.
  static constexpr std::size_t kMaxQueued = 4096;

  // `readOne(Datagram* into)` reads one datagram from the system; `into` is null when the
  // queue is full, and the read then only drains it.
  template <class ReadOne>
  std::optional<Datagram> take(ReadOne&& readOne) {
    if (m_queue.empty()) fill(readOne);
    if (m_queue.empty()) return std::nullopt;
    Datagram next = std::move(m_queue.front());
    m_queue.pop_front();
    return next;
  }

  // On the socket's read notification: `announce()` once per datagram read. A close from
  // one of its handlers ends the run.
  template <class ReadOne, class Announce>
  void onReadable(ReadOne&& readOne, Announce&& announce) {
    const int added = fill(readOne);
    const quint64 generation = m_generation;
    for (int i = 0; i < added && generation == m_generation; ++i) announce();
  }

  // The socket closed: what waited is gone, and so are the announcements still due.
  void clear() {
    m_queue.clear();
    ++m_generation;
  }

 private:
  template <class ReadOne>
  int fill(ReadOne& readOne) {
    int added = 0;
    for (int i = 0; i < kReadsPerNotification; ++i) {
      const bool room = m_queue.size() < kMaxQueued;
      Datagram datagram;
      const ReadOutcome outcome = readOne(room ? &datagram : nullptr);
      if (outcome == ReadOutcome::NothingWaiting) break;
      if (outcome == ReadOutcome::Skipped || !room) continue;
      m_queue.push_back(std::move(datagram));
      ++added;
    }
    return added;
  }

  std::deque<Datagram> m_queue;
  quint64 m_generation = 0;
};

}  // namespace velmaro::platform
