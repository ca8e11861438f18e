// Ends the test process when a procedure never returns: a hang must fail the test with a
// message, not hold the suite until ctest gives up on it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace velmaro::test {

class Watchdog {
 public:
  Watchdog(std::chrono::milliseconds limit, std::string what)
      : m_what(std::move(what)), m_thread([this, limit] { watch(limit); }) {}
  ~Watchdog() {
    {
      const std::lock_guard lock(m_mutex);
      m_finished = true;
    }
    m_done.notify_one();
    m_thread.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  void watch(std::chrono::milliseconds limit) {
    std::unique_lock lock(m_mutex);
    if (m_done.wait_for(lock, limit, [this] { return m_finished; })) return;
    std::fprintf(stderr, "HUNG: %s did not end within %lld ms\n", m_what.c_str(),
                 static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(3);
  }

  std::string m_what;
  std::mutex m_mutex;
  std::condition_variable m_done;
  bool m_finished = false;
  std::thread m_thread;
};

}  // namespace velmaro::test
