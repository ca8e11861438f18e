// The "SCAN" button: one "getdeviceinfo" query to the limited broadcast address, and
// every reply that arrives on the bound socket turned into a row.
#pragma once

#include <QObject>
#include <memory>

#include "app/FormContext.h"
#include "platform/DatagramSocket.h"

namespace velmaro {

class BroadcastDiscovery final : public QObject {
  Q_OBJECT

 public:
  explicit BroadcastDiscovery(FormContext& form);
  ~BroadcastDiscovery() override;

  void cmdScanBroadcast_Click();
  void sktBroadcast_DataArrival();

 private:
  FormContext& m_form;
  std::unique_ptr<platform::DatagramSocket> sktBroadcast;
};

}  // namespace velmaro
