// The "SCAN" button: one "getdeviceinfo" query to the limited broadcast address, and
// every reply that arrives on the bound socket turned into a row.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "form/FormContext.h"
#include "form/ResultList.h"
#include "form/ScanOutcome.h"
#include "platform/DatagramSocket.h"

namespace velmaro {

struct BroadcastReply;
class StepTrap;

// Steps 60 to 290 of a reply: the row an accepted reply adds, its manufacturer filled in
// while "Process MACs" is checked. Every procedure that turns replies into rows uses it.
RowId AddReplyRow(FormContext& form, const BroadcastReply& reply, StepTrap& trap);

class BroadcastDiscovery final : public QObject {
  Q_OBJECT

 public:
  explicit BroadcastDiscovery(FormContext& form);
  ~BroadcastDiscovery() override;

  ScanOutcome cmdScanBroadcast_Click();
  // Handles every datagram waiting on the socket, each as one reply.
  void sktBroadcast_DataArrival();

 private:
  // The socket, created on first use; fails with error 91 when the system offers none.
  platform::DatagramSocket& socket();
  // Reads and handles one reply; false when no datagram was waiting.
  bool handleOneReply();

  FormContext& m_form;
  std::unique_ptr<platform::DatagramSocket> sktBroadcast;
  quint32 m_remoteHost = 0;  // destination of the query, set by each click
  quint16 m_remotePort = 0;
};

}  // namespace velmaro
