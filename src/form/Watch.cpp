#include "form/Watch.h"

#include <QHostAddress>
#include <algorithm>

#include "form/InterfaceBroadcast.h"
#include "form/MainForm.h"
#include "form/RowName.h"
#include "identify/ArpTable.h"
#include "identify/HttpFetch.h"
#include "identify/LocalMac.h"
#include "identify/Manufacturer.h"
#include "platform/Platform.h"
#include "support/Clock.h"
#include "support/Ipv4Text.h"

namespace velmaro {
namespace {

QString macText(const std::array<quint8, 6>& mac) {
  return MacText(QByteArray(reinterpret_cast<const char*>(mac.data()), qsizetype(mac.size())));
}

QString dotted(quint32 address) { return QHostAddress(address).toString(); }

// A neighbour entry that can be a host: a single station's MAC (not a group's, the
// broadcast's among them) at a single host's address. Anything else would have its pages
// asked for at an address that reaches many.
bool namesAHost(const QString& ip, const QString& mac) {
  const std::optional<quint32> address = ParseDottedAddress(ip);
  bool ok = false;
  const uint firstOctet = mac.left(2).toUInt(&ok, 16);
  return address && ok && (firstOctet & 1u) == 0 && *address < 0xE0000000u;
}

}  // namespace

Watch::Watch(MainForm& form, const WatchSettings& settings,
             std::function<void(const WatchEvent&)> onEvent)
    : m_form(form),
      m_context(form.context()),
      m_settings(settings),
      m_onEvent(std::move(onEvent)),
      m_nameContext{m_context.controls, m_context.notice, m_nameList,         m_context.log,
                    m_context.paths,    m_context.clock,  m_context.platform, m_context.arp,
                    m_context.oui,      m_context.localIP} {
  m_tickAlarm = m_context.clock.createAlarm([this] { tick(); });
  m_endAlarm = m_context.clock.createAlarm([this] { endQuery(); });
}

Watch::~Watch() { stop(); }

ScanOutcome Watch::start() {
  // Every reply the query brings becomes a row, as on SCAN; its cells are read once the
  // row is complete, and the row dropped.
  connect(&m_context.list, &ResultList::rowsInserted, this,
          [this] { QMetaObject::invokeMethod(this, &Watch::takeReplies, Qt::QueuedConnection); });
  if (m_settings.allInterfaces) {
    m_everyCard = std::make_unique<InterfaceBroadcast>(m_context);
  }
  m_neighbours = m_context.platform.watchNeighbours();
  if (m_neighbours) {
    connect(m_neighbours.get(), &platform::NeighbourWatch::updated, this, &Watch::takeNeighbours);
  }
  tick();
  if (m_everyCard) {
    const auto& cards = m_everyCard->cards();
    const bool sent = std::any_of(cards.begin(), cards.end(),
                                  [](const CardProbe& card) { return !card.failure; });
    if (!sent) return ScanOutcome::QueryNotSent;
    return ScanOutcome::Completed;
  }
  return m_lastOutcome;
}

void Watch::stop() {
  if (m_stopped) return;
  m_stopped = true;
  m_tickAlarm->cancel();
  m_endAlarm->cancel();
  if (m_everyCard) m_everyCard->stop();
  m_neighbours.reset();
}

void Watch::tick() {
  if (m_stopped) return;
  if (m_queryOpen) endQuery();
  takeReplies();
  m_table.queryStarted();
  if (m_everyCard) {
    m_everyCard->start();
  } else {
    m_lastOutcome = m_form.cmdScanBroadcast_Click();
  }
  m_queryOpen = true;
  const qint64 sent = m_context.clock.monotonicMs();
  const qint64 intervalMs = qint64(m_settings.intervalS) * 1000;
  m_endAlarm->arm(sent + std::min<qint64>(tunables::kWatchReplyWindowMs, intervalMs));
  m_tickAlarm->arm(sent + intervalMs);
  if (!m_neighbours) readNeighbourTable();
}

void Watch::endQuery() {
  if (!m_queryOpen || m_stopped) return;
  m_queryOpen = false;
  m_endAlarm->cancel();
  takeReplies();
  std::vector<HostToName> toName;
  tell(m_table.queryEnded(now(), &toName));
  for (HostToName& host : toName) {
    if (int(m_toName.size()) >= tunables::kMaxWatchNameQueue) {
      tell(m_table.named(host.mac, QStringLiteral("---"), now()));
    } else {
      m_toName.push_back(std::move(host));
    }
  }
  if (!m_naming && !m_toName.empty()) {
    m_naming = true;
    QMetaObject::invokeMethod(this, &Watch::nameNext, Qt::QueuedConnection);
  }
}

void Watch::takeReplies() {
  ResultList& list = m_context.list;
  const int mac = list.GetColumnIndex(u"mac");
  const int mfg = list.GetColumnIndex(u"mfg");
  const int name = list.GetColumnIndex(u"name");
  while (list.count() > 0) {
    const RowId row = list.rowAt(1);
    const HostSighting unit{list.text(row), WatchMac(list.cell(row, mac)), list.cell(row, mfg),
                            list.cell(row, name)};
    list.remove(row);
    if (!m_stopped) tell(m_table.replied(unit, now()));
  }
}

void Watch::takeNeighbours(const std::vector<platform::NeighbourUpdate>& updates) {
  if (m_stopped) return;
  for (const platform::NeighbourUpdate& update : updates) {
    if (update.state == platform::NeighbourState::Failed) {
      tell(m_table.neighbourFailed(dotted(update.address), now()));
    } else if (update.state == platform::NeighbourState::Present && update.mac) {
      sightNeighbour(dotted(update.address), macText(*update.mac));
    }
  }
}

// Where the system cannot tell of changes, its table is read with every query.
void Watch::readNeighbourTable() {
  m_context.arp.ARP_LoadTable();
  for (const ArpEntry& entry : m_context.arp.entries()) {
    sightNeighbour(entry.ip, WatchMac(entry.mac));
  }
}

void Watch::sightNeighbour(const QString& ip, const QString& mac) {
  if (!namesAHost(ip, mac)) return;
  tell(m_table.neighbourPresent({ip, mac, ManufacturerOf(m_context.oui, mac), {}}, now()));
}

void Watch::nameNext() {
  if (m_stopped || m_toName.empty()) {
    m_naming = false;
    return;
  }
  const HostToName host = m_toName.front();
  m_toName.pop_front();
  const RowId row = m_nameList.append(host.ip);
  m_nameList.setTag(row, host.ip);
  // Both kinds of page, whatever the boxes say, as the list's "Refresh" reads one host.
  PopulateItemName(m_nameContext, m_form.pageReader(), row, true, true);
  const QString name = m_nameList.exists(row)
                           ? m_nameList.cell(row, m_nameList.GetColumnIndex(u"name"))
                           : QStringLiteral("---");
  m_nameList.clear();
  if (!m_stopped) tell(m_table.named(host.mac, name, now()));
  QMetaObject::invokeMethod(this, &Watch::nameNext, Qt::QueuedConnection);
}

void Watch::tell(const std::vector<WatchEvent>& events) {
  if (m_stopped) return;
  for (const WatchEvent& event : events) m_onEvent(event);
}

QDateTime Watch::now() const { return m_context.clock.localNow().toUTC(); }

}  // namespace velmaro
