// The query on every network card at once (the command line's scan --all-interfaces and
// the doctor's probe): one socket per card, bound to port 2860 on that card only, so the
// query leaves through each card whatever the routes say; every reply becomes a row as on
// SCAN, tagged with the card it came in on and whether the PC can reach the unit. The
// window's SCAN is not this: it keeps its one socket and its one way out.
#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "form/FormContext.h"
#include "form/ResultList.h"
#include "netinfo/NetworkChecks.h"
#include "netinfo/Reachability.h"
#include "platform/DatagramSocket.h"
#include "platform/NetworkFacts.h"

namespace velmaro {

// Where a row's reply came from.
struct ReplyOrigin {
  QString interfaceName;
  Reachability reach;
};

class InterfaceBroadcast final : public QObject {
  Q_OBJECT

 public:
  explicit InterfaceBroadcast(FormContext& form);
  ~InterfaceBroadcast() override;

  // Empties the list and sends the query once on every card that is up with an IPv4
  // address (loopback excepted). Replies are handled as they arrive until stop().
  void start();
  // Closes every card's socket; later replies are not read.
  void stop();

  // Per card: whether the query went out and how many datagrams came back so far.
  const std::vector<CardProbe>& cards() const { return m_probes; }
  // The card and reachability of a row this scan added; nothing for any other row.
  std::optional<ReplyOrigin> originOf(RowId row) const;

 private:
  struct Card {
    platform::NetworkInterface info;
    std::unique_ptr<platform::DatagramSocket> socket;
  };
  void readReplies(std::size_t card);

  FormContext& m_form;
  std::vector<Card> m_cards;
  std::vector<CardProbe> m_probes;  // parallel to m_cards
  std::map<quint64, ReplyOrigin> m_origins;
};

}  // namespace velmaro
