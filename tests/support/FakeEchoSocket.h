// A scripted ICMP network for engine and sweep tests: chosen hosts answer after a delay
// (real timers, a few ms), every other host stays silent. Install it on a FakePlatform:
//   FakeEchoNetwork net;  platform.echoFactory = [&] { return net.open(); };
// The network must outlive the sockets it hands out (declare it before the engine).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <functional>
#include <vector>

#include "platform/EchoSocket.h"

namespace velmaro::test {

class FakeClock;
class FakeEchoSocket;

// One echo request as the network saw it.
struct SentEcho {
  quint32 destination = 0;
  quint16 sequence = 0;
  QByteArray data;
};

class FakeEchoNetwork {
 public:
  // clock: when given, replies arrive on it (send time + delay), so round-trip times are
  // exact in tests and silent hosts take no real time.
  explicit FakeEchoNetwork(FakeClock* clock = nullptr) : m_clock(clock) {}
  ~FakeEchoNetwork();
  FakeEchoNetwork(const FakeEchoNetwork&) = delete;
  FakeEchoNetwork& operator=(const FakeEchoNetwork&) = delete;

  // The host answers every echo request after delayMs, echoing its data.
  void answer(quint32 host, int delayMs = 1);
  // The host answers nothing (the default for every host).
  void silence(quint32 host);
  // The host's requests are refused at once by the system (send() gives Refused).
  void refuseSend(quint32 host);
  // The next `attempts` requests to the host find the system's queue full (send() gives
  // TryAgain); a socket watching for it is told it is writable again shortly after.
  void refuseForNow(quint32 host, int attempts) { m_busy[host] = attempts; }
  // Delivers, after delayMs, a reply that was not asked for to every socket open then.
  void injectStray(quint32 source, quint16 sequence, QByteArray data, int delayMs = 0);
  // Every send takes this long on the given clock, as a burst of sends does on a real
  // socket; a host set to answer with delay 0 has its reply waiting right after its send.
  void setSendCost(int ms) { m_sendCostMs = ms; }
  // open() fails as it does without CAP_NET_RAW and outside ping_group_range.
  void denyPermission(bool deny) { m_deny = deny; }

  // Install as FakePlatform::echoFactory.
  platform::EchoOpenResult open();

  std::vector<quint32> sent;       // destinations in send order
  std::vector<SentEcho> requests;  // the same requests with sequence and data
  int opened = 0;                  // sockets handed out
  int delivered = 0;               // replies (stray ones included) put into an open socket
  int refusedForNow = 0;           // sends that found the queue full
  int openNow() const;             // sockets handed out and not yet destroyed

 private:
  friend class FakeEchoSocket;
  struct Behaviour {
    enum Kind { Answer, Silent, Refuse } kind = Silent;
    int delayMs = 0;
  };
  platform::SendResult onSend(FakeEchoSocket& socket, quint32 destination, quint16 sequence,
                              const QByteArray& data);
  void deliver(FakeEchoSocket* socket, const platform::EchoReply& reply);
  void later(FakeEchoSocket* socket, int delayMs, std::function<void()> action);

  FakeClock* m_clock;
  bool m_deny = false;
  int m_sendCostMs = 0;
  QHash<quint32, Behaviour> m_hosts;
  QHash<quint32, int> m_busy;
  std::vector<QPointer<FakeEchoSocket>> m_sockets;
};

class FakeEchoSocket final : public platform::EchoSocket {
  Q_OBJECT

 public:
  explicit FakeEchoSocket(FakeEchoNetwork& network) : m_network(network) {}
  platform::SendResult send(quint32 destination, quint16 sequence, const QByteArray& data) override;
  void watchWritable(bool on) override;
  int writableWatches = 0;  // times the watch was turned on
  std::optional<platform::EchoReply> receive() override;

 private:
  friend class FakeEchoNetwork;
  FakeEchoNetwork& m_network;
  std::vector<platform::EchoReply> m_queue;
  bool m_watching = false;
};

}  // namespace velmaro::test
