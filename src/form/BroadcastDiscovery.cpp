#include "form/BroadcastDiscovery.h"

#include "discovery/BroadcastReply.h"
#include "form/Controls.h"
#include "form/ResultList.h"
#include "identify/Manufacturer.h"
#include "platform/Platform.h"
#include "support/ErrorLog.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

void throwIfFailed(const std::optional<platform::SocketFailure>& failure) {
  if (failure) throw err::socketError(failure->number, failure->description);
}

}  // namespace

RowId AddReplyRow(FormContext& form, const BroadcastReply& reply, StepTrap& trap) {
  ResultList& list = form.list;
  RowId row;  // stays invalid when the row cannot be added: every later step then fails
  trap.step(60, [&] {
    row = list.append(reply.address);
    list.setTag(row, reply.address);
    list.addEvidence(row, Evidence::Query);
  });
  trap.step(70, [&] { list.setCell(row, list.GetColumnIndex(u"ping"), QStringLiteral("---")); });
  trap.step(80, [&] { list.setCell(row, list.GetColumnIndex(u"mac"), reply.mac); });
  trap.step(90, [&] { list.setCell(row, list.GetColumnIndex(u"name"), reply.name); });
  trap.step(reply.hasPortLine ? 110 : 130,
            [&] { list.setCell(row, list.GetColumnIndex(u"httpport"), reply.httpPort); });

  if (trap.test(150, [&] { return form.controls.value(CheckBox::ParseARP) != 1; })) {
    return row;
  }
  if (trap.test(160, [&] { return HasMakerPrefix(list.cell(row, list.GetColumnIndex(u"mac"))); })) {
    QString maker;
    trap.step(170, [&] { maker = MakerPrefixRule(list.cell(row, list.GetColumnIndex(u"mac"))); });
    // The maker's own units are written at line 190, the rest of its block at 210.
    trap.step(maker == u"Norvikta, Inc" ? 190 : 210,
              [&] { list.setCell(row, list.GetColumnIndex(u"mfg"), maker); });
  } else {
    trap.step(240, [&] {
      const int mfg = list.GetColumnIndex(u"mfg");
      const QString name = form.oui.OUI_GetMFGByMAC(list.cell(row, list.GetColumnIndex(u"mac")));
      if (!name.isEmpty()) list.setCell(row, mfg, name);
    });
  }
  return row;
}

BroadcastDiscovery::BroadcastDiscovery(FormContext& form) : m_form(form) {}

BroadcastDiscovery::~BroadcastDiscovery() = default;

platform::DatagramSocket& BroadcastDiscovery::socket() {
  if (!sktBroadcast) {
    sktBroadcast = m_form.platform.createDatagramSocket();
    if (!sktBroadcast) throw err::objectNotSet();
    connect(sktBroadcast.get(), &platform::DatagramSocket::readyRead, this,
            &BroadcastDiscovery::sktBroadcast_DataArrival);
  }
  return *sktBroadcast;
}

ScanOutcome BroadcastDiscovery::cmdScanBroadcast_Click() {
  StepTrap trap(m_form.log, QStringLiteral("cmdScanBroadcast_Click"), Container::Form);
  trap.step(20, [&] { m_form.list.clear(); });
  trap.step(40, [&] { socket().close(); });
  // 50: the socket is a UDP socket by construction.
  trap.step(60, [&] { m_remoteHost = tunables::kLimitedBroadcast; });
  trap.step(70, [&] { m_remotePort = tunables::kQueryPort; });
  const bool bound = trap.value(80, false, [&] {
    throwIfFailed(socket().bind(tunables::kReplyPort));
    return true;
  });
  // A failed bind leaves the socket unbound; the query still goes out from any port.
  const bool sent = trap.value(100, false, [&] {
    const QByteArray query(tunables::kQueryText, qsizetype(sizeof tunables::kQueryText) - 1);
    throwIfFailed(socket().sendTo(query, m_remoteHost, m_remotePort));
    return true;
  });
  if (!bound) return ScanOutcome::ReplyPortHeld;
  return sent ? ScanOutcome::Completed : ScanOutcome::QueryNotSent;
}

void BroadcastDiscovery::sktBroadcast_DataArrival() {
  // The socket signals once per datagram, but a signal may find several waiting (or none,
  // when an earlier call took them): take what is there, up to a bound.
  for (int handled = 0; handled < tunables::kMaxRepliesPerEvent; ++handled) {
    if (!handleOneReply()) return;
  }
}

bool BroadcastDiscovery::handleOneReply() {
  StepTrap trap(m_form.log, QStringLiteral("sktBroadcast_DataArrival"), Container::Form);

  std::optional<platform::Datagram> datagram;
  trap.step(20, [&] { datagram = socket().receive(); });
  if (!datagram) return false;

  // 30 to 50: length, lines and their contents.
  const std::optional<BroadcastReply> reply = ParseBroadcastReply(datagram->data, datagram->source);
  if (!reply) return true;

  AddReplyRow(m_form, *reply, trap);
  return true;  // 290
}

}  // namespace velmaro
