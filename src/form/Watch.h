// The command line's long watch of a LAN: the discovery query again and again, the
// neighbour table followed as it changes, and every change of a host told as an event.
// The query and its replies are the SCAN button's (or the query on every card), the
// maker and name those of the window's rows; the state lives in a WatchTable.
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <memory>

#include "form/FormContext.h"
#include "form/ResultList.h"
#include "form/ScanOutcome.h"
#include "form/WatchTable.h"
#include "platform/NeighbourWatch.h"

namespace velmaro {

class ClockAlarm;
class HttpFetch;
class InterfaceBroadcast;
class MainForm;

struct WatchSettings {
  int intervalS = tunables::kDefaultWatchIntervalS;
  bool allInterfaces = false;  // the query on every card, not through the route's one
};

class Watch final : public QObject {
  Q_OBJECT

 public:
  // `form` is loaded; its list is the replies' scratch space while the watch runs.
  Watch(MainForm& form, const WatchSettings& settings,
        std::function<void(const WatchEvent&)> onEvent);
  ~Watch() override;

  // Sends the first query and follows the LAN from then on; why it cannot, when the
  // query cannot go out.
  ScanOutcome start();
  // Sends nothing more and tells nothing more; pending page reads end with the program.
  void stop();

  const WatchTable& table() const { return m_table; }

 private:
  void tick();
  void endQuery();
  void takeReplies();
  void takeNeighbours(const std::vector<platform::NeighbourUpdate>& updates);
  void readNeighbourTable();
  void sightNeighbour(const QString& ip, const QString& mac);
  void nameNext();
  void tell(const std::vector<WatchEvent>& events);
  QDateTime now() const;

  MainForm& m_form;
  FormContext& m_context;
  WatchSettings m_settings;
  std::function<void(const WatchEvent&)> m_onEvent;
  WatchTable m_table;
  std::unique_ptr<InterfaceBroadcast> m_everyCard;
  std::unique_ptr<platform::NeighbourWatch> m_neighbours;
  std::unique_ptr<ClockAlarm> m_tickAlarm;
  std::unique_ptr<ClockAlarm> m_endAlarm;
  ScanOutcome m_lastOutcome = ScanOutcome::Completed;
  bool m_queryOpen = false;
  bool m_stopped = false;
  // Host names are read from pages one host at a time, in a list of their own, so the
  // replies' list can be emptied by the next query meanwhile.
  ResultList m_nameList;
  FormContext m_nameContext;
  std::deque<HostToName> m_toName;
  bool m_naming = false;
};

}  // namespace velmaro
