// Following the neighbour table as it changes, and the user's request to stop a program
// that runs until told: two things a long watch asks of the system as they happen.
#pragma once

#include <QObject>
#include <array>
#include <optional>
#include <vector>

namespace velmaro::platform {

// What one change of the neighbour table says about one IPv4 neighbour.
enum class NeighbourState {
  Present,  // its link-layer address is known (reachable, stale, being checked, fixed)
  Failed,   // the system asked for it and nothing answered
  Removed,  // the entry was dropped (unused for a while, or by hand): says nothing of the host
};

struct NeighbourUpdate {
  quint32 address = 0;                       // host byte order
  std::optional<std::array<quint8, 6>> mac;  // Ethernet address, when the entry carries one
  NeighbourState state = NeighbourState::Present;
  friend bool operator==(const NeighbourUpdate&, const NeighbourUpdate&) = default;
};

// The table's changes as they happen. A backend whose system cannot tell gives no
// watch at all (the platform returns null), and its caller reads the table now and then.
class NeighbourWatch : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 signals:
  // The entries as they stand when the watch starts come first, then every change.
  void updated(const std::vector<velmaro::platform::NeighbourUpdate>& updates);
};

// The user asked the program to stop (Ctrl-C, a service manager's stop): told from the
// event loop, never from inside the system's interruption, so any code may run then.
class StopRequests : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 signals:
  void requested();
};

}  // namespace velmaro::platform
