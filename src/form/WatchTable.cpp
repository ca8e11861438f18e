#include "form/WatchTable.h"

#include <algorithm>

namespace velmaro {

QString WatchEventName(WatchEventKind kind) {
  switch (kind) {
    case WatchEventKind::New:
      return QStringLiteral("new");
    case WatchEventKind::Moved:
      return QStringLiteral("moved");
    case WatchEventKind::Conflict:
      return QStringLiteral("conflict");
    case WatchEventKind::Gone:
      return QStringLiteral("gone");
    case WatchEventKind::Back:
      return QStringLiteral("back");
  }
  return {};
}

QString WatchMac(QString mac) { return mac.toUpper().replace(u':', u'-'); }

void WatchTable::queryStarted() {
  for (Host& host : m_hosts) {
    host.answered = false;
    if (!host.announced) ++host.queriesWaited;
  }
}

std::vector<WatchEvent> WatchTable::queryEnded(const QDateTime& now,
                                               std::vector<HostToName>* toName) {
  std::vector<WatchEvent> out;
  for (auto it = m_hosts.begin(); it != m_hosts.end(); ++it) {
    Host& host = it.value();
    if (host.unit && host.announced && !host.gone && !host.answered &&
        ++host.misses >= tunables::kWatchMissesForGone) {
      host.gone = true;
      host.conflictIp.clear();
      out.push_back(event(WatchEventKind::Gone, it.key(), host, now));
    }
    if (!host.announced && !host.naming && host.queriesWaited > 0 && toName) {
      host.naming = true;
      toName->push_back({host.ip, it.key()});
    }
  }
  std::sort(out.begin(), out.end(),
            [](const WatchEvent& a, const WatchEvent& b) { return a.mac < b.mac; });
  return out;
}

std::vector<WatchEvent> WatchTable::replied(const HostSighting& unit, const QDateTime& now) {
  std::vector<WatchEvent> out;
  Host& host = hostFor(unit.mac);
  host.unit = true;
  host.answered = true;
  host.misses = 0;
  if (!host.announced) {
    host.ip = unit.ip;
    host.mfg = unit.mfg;
    host.name = unit.name;
    announce(unit.mac, now, out);
  } else {
    seenAgain(unit.mac, unit.ip, now, out);
  }
  return out;
}

std::vector<WatchEvent> WatchTable::neighbourPresent(const HostSighting& sighting,
                                                     const QDateTime& now) {
  std::vector<WatchEvent> out;
  if (!m_hosts.contains(sighting.mac)) {
    Host& host = hostFor(sighting.mac);
    host.ip = sighting.ip;
    host.mfg = sighting.mfg;
    return out;
  }
  Host& host = m_hosts[sighting.mac];
  host.lastSeen = ++m_seen;
  if (host.unit) return out;
  if (!host.announced) {
    host.ip = sighting.ip;
  } else {
    seenAgain(sighting.mac, sighting.ip, now, out);
  }
  return out;
}

std::vector<WatchEvent> WatchTable::neighbourFailed(const QString& ip, const QDateTime& now) {
  std::vector<WatchEvent> out;
  for (auto it = m_hosts.begin(); it != m_hosts.end(); ++it) {
    Host& host = it.value();
    if (host.announced && !host.unit && !host.gone && host.ip == ip) {
      host.gone = true;
      host.conflictIp.clear();
      out.push_back(event(WatchEventKind::Gone, it.key(), host, now));
    }
  }
  return out;
}

std::vector<WatchEvent> WatchTable::named(const QString& mac, const QString& name,
                                          const QDateTime& now) {
  std::vector<WatchEvent> out;
  auto it = m_hosts.find(mac);
  if (it == m_hosts.end() || it->announced) return out;
  it->name = name;
  announce(mac, now, out);
  return out;
}

WatchTotals WatchTable::totals() const {
  WatchTotals totals = m_totals;
  totals.hosts = int(m_hosts.size());
  return totals;
}

WatchTable::Host& WatchTable::hostFor(const QString& mac) {
  auto it = m_hosts.find(mac);
  if (it == m_hosts.end()) {
    if (m_hosts.size() >= m_capacity) {
      // The host heard from longest ago goes, one already gone before any other.
      auto oldest = m_hosts.begin();
      for (auto candidate = m_hosts.begin(); candidate != m_hosts.end(); ++candidate) {
        if (std::pair(!candidate->gone, candidate->lastSeen) <
            std::pair(!oldest->gone, oldest->lastSeen))
          oldest = candidate;
      }
      m_hosts.erase(oldest);
      ++m_totals.forgotten;
    }
    it = m_hosts.insert(mac, Host{});
  }
  it->lastSeen = ++m_seen;
  return it.value();
}

WatchEvent WatchTable::event(WatchEventKind kind, const QString& mac, const Host& host,
                             const QDateTime& now) {
  ++m_totals.events[std::size_t(kind)];
  WatchEvent out;
  out.kind = kind;
  out.time = now;
  out.ip = host.ip;
  out.mac = mac;
  out.mfg = host.mfg;
  out.name = host.name;
  return out;
}

void WatchTable::announce(const QString& mac, const QDateTime& now, std::vector<WatchEvent>& out) {
  Host& host = m_hosts[mac];
  host.announced = true;
  host.naming = false;
  out.push_back(event(WatchEventKind::New, mac, host, now));
  checkConflict(mac, now, out);
}

void WatchTable::checkConflict(const QString& mac, const QDateTime& now,
                               std::vector<WatchEvent>& out) {
  Host& host = m_hosts[mac];
  if (host.gone) return;
  QStringList others;
  bool told = host.conflictIp == host.ip;
  for (auto it = m_hosts.cbegin(); it != m_hosts.cend(); ++it) {
    if (it.key() == mac || !it->announced || it->gone || it->ip != host.ip) continue;
    others.append(it.key());
    told = told && it->conflictIp == host.ip;
  }
  if (others.isEmpty() || told) return;
  others.sort();
  for (const QString& other : others) m_hosts[other].conflictIp = host.ip;
  host.conflictIp = host.ip;
  WatchEvent conflict = event(WatchEventKind::Conflict, mac, host, now);
  conflict.macs = QStringList{mac} + others;
  out.push_back(conflict);
}

void WatchTable::seenAgain(const QString& mac, const QString& ip, const QDateTime& now,
                           std::vector<WatchEvent>& out) {
  Host& host = m_hosts[mac];
  if (!host.gone) {
    if (host.ip != ip) return relocate(mac, ip, now, out);
    return checkConflict(mac, now, out);
  }
  const QString previous = host.ip;
  host.gone = false;
  host.ip = ip;
  WatchEvent back = event(WatchEventKind::Back, mac, host, now);
  if (previous != ip) back.previousIp = previous;
  out.push_back(back);
  checkConflict(mac, now, out);
}

void WatchTable::relocate(const QString& mac, const QString& ip, const QDateTime& now,
                          std::vector<WatchEvent>& out) {
  Host& host = m_hosts[mac];
  WatchEvent moved = event(WatchEventKind::Moved, mac, host, now);
  moved.previousIp = host.ip;
  moved.ip = ip;
  host.ip = ip;
  host.conflictIp.clear();
  out.push_back(moved);
  checkConflict(mac, now, out);
}

}  // namespace velmaro
