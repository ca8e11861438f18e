#include "form/InterfaceBroadcast.h"

#include "discovery/BroadcastReply.h"
#include "form/BroadcastDiscovery.h"
#include "platform/Platform.h"
#include "support/ErrorLog.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

QString procedureName() { return QStringLiteral("ScanAllInterfaces"); }

}  // namespace

InterfaceBroadcast::InterfaceBroadcast(FormContext& form) : m_form(form) {}

InterfaceBroadcast::~InterfaceBroadcast() { stop(); }

void InterfaceBroadcast::start() {
  stop();
  m_cards.clear();
  m_probes.clear();
  m_origins.clear();
  StepTrap trap(m_form.log, procedureName(), Container::Form);
  trap.step(20, [&] { m_form.list.clear(); });
  const auto all = m_form.platform.networkInterfaces();
  if (!all) return;
  for (platform::NetworkInterface& info : QueryCards(*all)) {
    CardProbe probe;
    probe.interfaceName = info.name;
    auto socket = m_form.platform.createInterfaceSocket(info.name);
    if (!socket) {
      const VbError missing = err::objectNotSet();
      probe.failure = platform::SocketFailure{missing.number, missing.description};
    } else if (auto failure = socket->bind(tunables::kReplyPort)) {
      // Without the port on this card the replies would go unheard: nothing is sent there.
      probe.failure = failure;
    } else {
      const QByteArray query(tunables::kQueryText, qsizetype(sizeof tunables::kQueryText) - 1);
      probe.failure = socket->sendTo(query, tunables::kLimitedBroadcast, tunables::kQueryPort);
    }
    if (probe.failure) {
      trap.report(probe.failure->number == err::objectNotSet().number ? 50 : 100,
                  VbError{probe.failure->number,
                          QStringLiteral("%1 (%2)").arg(probe.failure->description, info.name)});
    }
    const std::size_t index = m_cards.size();
    if (socket && !probe.failure) {
      connect(socket.get(), &platform::DatagramSocket::readyRead, this,
              [this, index] { readReplies(index); });
    }
    m_cards.push_back({std::move(info), std::move(socket)});
    m_probes.push_back(std::move(probe));
  }
}

void InterfaceBroadcast::stop() {
  for (Card& card : m_cards) {
    if (card.socket) card.socket->close();
  }
}

std::optional<ReplyOrigin> InterfaceBroadcast::originOf(RowId row) const {
  const auto it = m_origins.find(row.value);
  if (it == m_origins.end()) return std::nullopt;
  return it->second;
}

void InterfaceBroadcast::readReplies(std::size_t index) {
  for (int handled = 0; handled < tunables::kMaxRepliesPerEvent; ++handled) {
    // A reply's row may wait for the vendor file; a stop() meanwhile closes the socket.
    if (index >= m_cards.size() || !m_cards[index].socket) return;
    StepTrap trap(m_form.log, QStringLiteral("sktInterface_DataArrival"), Container::Form);
    std::optional<platform::Datagram> datagram;
    trap.step(20, [&] { datagram = m_cards[index].socket->receive(); });
    if (!datagram) return;
    ++m_probes[index].replies;
    const std::optional<BroadcastReply> reply =
        ParseBroadcastReply(datagram->data, datagram->source);
    if (!reply) continue;
    // The card the kernel says it came in on; the socket's own card when it cannot say.
    const platform::NetworkInterface* arrival = &m_cards[index].info;
    for (const Card& card : m_cards) {
      if (card.info.name == datagram->arrivalInterface) arrival = &card.info;
    }
    const RowId row = AddReplyRow(m_form, *reply, trap);
    if (m_form.list.exists(row)) {
      m_origins[row.value] = {arrival->name, ClassifyUnitAddress(datagram->source, *arrival)};
    }
  }
}

}  // namespace velmaro
