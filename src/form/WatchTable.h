// What a watch knows of every host it has seen, keyed by MAC, and the events its changes
// make: a new host, one that moved to another address, two that claim one address, one
// that went and one that came back. Plain values in and out, no clock and no network, so
// every sequence of sightings can be tried in a test.
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

#include "support/Tunables.h"

namespace velmaro {

enum class WatchEventKind { New, Moved, Conflict, Gone, Back };

// "new", "moved", "conflict", "gone", "back".
QString WatchEventName(WatchEventKind kind);

struct WatchEvent {
  WatchEventKind kind = WatchEventKind::New;
  QDateTime time;  // UTC
  QString ip;
  QString mac;
  QString mfg;
  QString name;
  QString previousIp;  // moved, and back at another address
  QStringList macs;    // conflict: every MAC that claims the address, this host's first
  friend bool operator==(const WatchEvent&, const WatchEvent&) = default;
};

// A sighting of a host: its address and MAC, and what is known of its maker and name.
struct HostSighting {
  QString ip;
  QString mac;  // as WatchMac writes it
  QString mfg;
  QString name;
};

// A host seen only in the neighbour table, whose name is still to be read from its pages.
struct HostToName {
  QString ip;
  QString mac;
};

// Counts for the closing summary.
struct WatchTotals {
  int hosts = 0;                // known now
  int forgotten = 0;            // dropped to keep within the bound
  std::array<int, 5> events{};  // per WatchEventKind
};

// A MAC in the one spelling a watch keys hosts by: upper case, dashes ("00-0A-2B-01-80-01").
QString WatchMac(QString mac);

class WatchTable {
 public:
  explicit WatchTable(int capacity = tunables::kMaxWatchHosts) : m_capacity(capacity) {}

  // A query goes out now: who answers it is counted from here on.
  void queryStarted();
  // The query's time is up: a unit that missed kWatchMissesForGone queries in a row is gone.
  // Hosts known from the neighbour table alone for a whole query (so not units answering
  // late) are handed out for naming, each once.
  std::vector<WatchEvent> queryEnded(const QDateTime& now, std::vector<HostToName>* toName);

  // A unit's reply: the unit is new, back, moved, or in conflict with another host.
  std::vector<WatchEvent> replied(const HostSighting& unit, const QDateTime& now);
  // The neighbour table holds `host` (its name still unknown): a host not seen before
  // waits for its name; a known one that is not a unit can move or come back. A unit's
  // address follows its replies alone, since old entries of its former address linger.
  std::vector<WatchEvent> neighbourPresent(const HostSighting& host, const QDateTime& now);
  // The system asked for the address and nothing answered: a host there that is not a
  // unit is gone.
  std::vector<WatchEvent> neighbourFailed(const QString& ip, const QDateTime& now);
  // The name read from the pages of a host handed out for naming: it is new now.
  std::vector<WatchEvent> named(const QString& mac, const QString& name, const QDateTime& now);

  WatchTotals totals() const;

 private:
  struct Host {
    QString ip;
    QString mfg;
    QString name;
    bool unit = false;       // has answered the query
    bool announced = false;  // its "new" went out
    bool naming = false;     // handed out for naming
    bool gone = false;
    bool answered = false;  // this query
    int misses = 0;
    int queriesWaited = 0;  // queries ended while it waited for its name or reply
    QString conflictIp;     // the address whose conflict was told already
    quint64 lastSeen = 0;
  };

  Host& hostFor(const QString& mac);  // a new one at the bound's cost
  WatchEvent event(WatchEventKind kind, const QString& mac, const Host& host, const QDateTime& now);
  // Announces `mac` and tells a conflict with another live host at its address.
  void announce(const QString& mac, const QDateTime& now, std::vector<WatchEvent>& out);
  void checkConflict(const QString& mac, const QDateTime& now, std::vector<WatchEvent>& out);
  // An announced host seen at `ip`: back when it was gone, moved when elsewhere.
  void seenAgain(const QString& mac, const QString& ip, const QDateTime& now,
                 std::vector<WatchEvent>& out);
  void relocate(const QString& mac, const QString& ip, const QDateTime& now,
                std::vector<WatchEvent>& out);

  int m_capacity;
  QHash<QString, Host> m_hosts;
  quint64 m_seen = 0;
  WatchTotals m_totals;
};

}  // namespace velmaro
