// The neighbour table's changes on Linux: the kernel's netlink notifications
// (RTNLGRP_NEIGH), which any user may read, on a socket the event loop watches.
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <vector>

#include "platform/linux/LinuxBackends.h"
#include "platform/linux/NeighbourMessage.h"
#include "support/Tunables.h"

namespace velmaro::platform::linux_backend {
namespace {

class NetlinkNeighbourWatch final : public NeighbourWatch {
 public:
  explicit NetlinkNeighbourWatch(int fd) : m_fd(fd), m_notifier(fd, QSocketNotifier::Read) {
    connect(&m_notifier, &QSocketNotifier::activated, this, [this] { readAll(); });
    requestTable();
  }
  ~NetlinkNeighbourWatch() override { ::close(m_fd); }

 private:
  void requestTable() {
    const QByteArray request = neighbourDumpRequest(++m_sequence);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ::sendto(m_fd, request.constData(), std::size_t(request.size()), 0,
             reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
  }

  // What waits now, up to a bound, so a table that changes without end still lets the
  // rest of the program run between two wakes.
  void readAll() {
    for (int datagrams = 0; datagrams < tunables::kMaxRepliesPerEvent; ++datagrams) {
      const ssize_t got = ::recv(m_fd, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT);
      if (got < 0) {
        // The kernel dropped notifications it could not queue: read the table afresh.
        if (errno == ENOBUFS) {
          requestTable();
          continue;
        }
        return;
      }
      std::vector<NeighbourUpdate> updates =
          parseNeighbourMessages(QByteArrayView(m_buffer.data(), got));
      if (!updates.empty()) emit updated(updates);
    }
  }

  int m_fd;
  QSocketNotifier m_notifier;
  quint32 m_sequence = 0;
  std::vector<char> m_buffer = std::vector<char>(std::size_t(tunables::kNeighbourDatagramBytes));
};

}  // namespace

std::unique_ptr<NeighbourWatch> watchNeighbours() {
  const int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
  if (fd < 0) return nullptr;
  sockaddr_nl local{};
  local.nl_family = AF_NETLINK;
  local.nl_groups = RTMGRP_NEIGH;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) < 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<NetlinkNeighbourWatch>(fd);
}

}  // namespace velmaro::platform::linux_backend
