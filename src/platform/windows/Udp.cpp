// The UDP socket of the broadcast query on Winsock: a non-blocking socket watched by a
// QSocketNotifier, its failures the numbers Winsock gives (10048 address in use...).
//
// Windows cannot tie a socket to a device as Linux's per-card bind does. A card's socket
// here is bound to the card's first IPv4 address instead: Windows hands it the broadcasts
// that arrive on that card, and another card's socket can hold the same port on its own
// address. Its sends leave through the card (IP_UNICAST_IF), and each datagram names its
// arrival card (IP_PKTINFO). A card without an IPv4 address cannot be tied at all, and a
// datagram sent to another address of the card is not heard.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>
#include <mswsock.h>

#include <QPointer>
#include <QSocketNotifier>
#include <cstring>
#include <vector>

#include "platform/ReceiveQueue.h"
#include "platform/windows/Adapters.h"
#include "platform/windows/SystemError.h"
#include "platform/windows/WindowsBackends.h"
#include "support/Tunables.h"

namespace velmaro::platform::windows_backend {
namespace {

sockaddr_in ipv4Endpoint(quint32 address, quint16 port) {
  sockaddr_in endpoint{};
  endpoint.sin_family = AF_INET;
  endpoint.sin_port = htons(port);
  endpoint.sin_addr.s_addr = htonl(address);
  return endpoint;
}

SocketFailure lastFailure() { return failureFor(::WSAGetLastError()); }

// The card a socket is tied to, as the adapter list gives it now.
struct CardBinding {
  quint32 index = 0;
  quint32 address = 0;
};

std::optional<CardBinding> bindingOf(const QString& card) {
  const auto records = readAdapters();
  if (!records) return std::nullopt;
  for (const AdapterRecord& record : *records) {
    if (record.name != card || record.ipv4.empty()) continue;
    return CardBinding{record.index, record.ipv4.front().address};
  }
  return std::nullopt;
}

LPFN_WSARECVMSG recvMsgOf(SOCKET socket) {
  LPFN_WSARECVMSG function = nullptr;
  GUID id = WSAID_WSARECVMSG;
  DWORD returned = 0;
  if (::WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &function,
                 sizeof function, &returned, nullptr, nullptr) != 0)
    return nullptr;
  return function;
}

class UdpSocket final : public DatagramSocket {
 public:
  explicit UdpSocket(QString interfaceName = {}) : m_interface(std::move(interfaceName)) {}
  ~UdpSocket() override { close(); }

  void close() override {
    if (m_notifier) {
      // We may be inside the notifier's own signal: let the event loop delete it.
      m_notifier->setEnabled(false);
      m_notifier->deleteLater();
      m_notifier.clear();
    }
    if (m_socket != INVALID_SOCKET) ::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    m_received.clear();
  }

  std::optional<SocketFailure> bind(quint16 port) override {
    if (auto failure = open()) return failure;
    // Exclusive: a second copy, or any other program, gets 10048 rather than sharing the
    // port and stealing its replies.
    const BOOL on = TRUE;
    if (::setsockopt(m_socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                     sizeof on) != 0)
      return lastFailure();
    const sockaddr_in local = ipv4Endpoint(m_card ? m_card->address : INADDR_ANY, port);
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
      return lastFailure();
    return std::nullopt;
  }

  std::optional<SocketFailure> sendTo(const QByteArray& data, quint32 address,
                                      quint16 port) override {
    if (data.size() > tunables::kMaxDatagram) return failureFor(WSAEMSGSIZE);
    if (auto failure = open()) return failure;
    const sockaddr_in remote = ipv4Endpoint(address, port);
    if (::sendto(m_socket, data.constData(), int(data.size()), 0,
                 reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == SOCKET_ERROR)
      return lastFailure();
    return std::nullopt;
  }

  std::optional<Datagram> receive() override {
    return m_received.take([this](Datagram* into) { return readOne(into); });
  }

 private:
  std::optional<SocketFailure> open() {
    if (m_socket != INVALID_SOCKET) return std::nullopt;
    if (m_session.error() != 0) return failureFor(m_session.error());
    // Not inherited: programs started later (the neighbour listing, the browser) get none.
    m_socket =
        ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (m_socket == INVALID_SOCKET) return lastFailure();
    if (auto failure = configure()) {
      close();
      return failure;
    }
    m_notifier = new QSocketNotifier(qintptr(m_socket), QSocketNotifier::Read, this);
    QObject::connect(m_notifier.data(), &QSocketNotifier::activated, this,
                     [this] { onReadable(); });
    return std::nullopt;
  }

  std::optional<SocketFailure> configure() {
    u_long nonBlocking = 1;
    if (::ioctlsocket(m_socket, FIONBIO, &nonBlocking) != 0) return lastFailure();
    const BOOL on = TRUE;
    if (::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                     sizeof on) != 0)
      return lastFailure();
    // A port-unreachable answer to an earlier send would otherwise fail the next receive
    // with 10054 and hold up the datagrams behind it.
    BOOL report = FALSE;
    DWORD returned = 0;
    ::WSAIoctl(m_socket, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr,
               nullptr);
    const int buffer = tunables::kReplySocketBufferBytes;
    ::setsockopt(m_socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer),
                 sizeof buffer);
    m_receiveMessage = recvMsgOf(m_socket);
    return tieToInterface();
  }

  std::optional<SocketFailure> tieToInterface() {
    if (m_interface.isEmpty()) return std::nullopt;
    m_card = bindingOf(m_interface);
    if (!m_card) return failureFor(WSAEADDRNOTAVAIL);
    // The option takes the index in network byte order for IPv4.
    const DWORD index = htonl(m_card->index);
    if (::setsockopt(m_socket, IPPROTO_IP, IP_UNICAST_IF, reinterpret_cast<const char*>(&index),
                     sizeof index) != 0)
      return lastFailure();
    const DWORD on = 1;
    if (::setsockopt(m_socket, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on),
                     sizeof on) != 0)
      return lastFailure();
    return std::nullopt;
  }

  // One datagram into the buffer: its length, or -1 when none is waiting.
  int receiveInto(sockaddr_in& from, QString& arrival) {
    int fromSize = sizeof from;
    if (m_receiveMessage == nullptr || !m_card) {
      return ::recvfrom(m_socket, m_buffer.data(), int(m_buffer.size()), 0,
                        reinterpret_cast<sockaddr*>(&from), &fromSize);
    }
    WSABUF data{ULONG(m_buffer.size()), m_buffer.data()};
    char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&from);
    message.namelen = fromSize;
    message.lpBuffers = &data;
    message.dwBufferCount = 1;
    message.Control = {ULONG(sizeof control), control};
    DWORD got = 0;
    if (m_receiveMessage(m_socket, &message, &got, nullptr, nullptr) != 0) return -1;
    for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&message); c != nullptr;
         c = WSA_CMSG_NXTHDR(&message, c)) {
      if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
      IN_PKTINFO info{};
      std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
      arrival = info.ipi_ifindex == m_card->index ? m_interface : cardNameOf(info.ipi_ifindex);
    }
    return int(got);
  }

  // One datagram from the system, into `into` unless that is null.
  ReadOutcome readOne(Datagram* into) {
    if (m_socket == INVALID_SOCKET) return ReadOutcome::NothingWaiting;
    sockaddr_in from{};
    QString arrival;
    const int got = receiveInto(from, arrival);
    if (got < 0) {
      const int error = ::WSAGetLastError();
      // Too long for any datagram we take, or an old send's error report: skip it.
      return error == WSAEMSGSIZE || error == WSAECONNRESET ? ReadOutcome::Skipped
                                                            : ReadOutcome::NothingWaiting;
    }
    if (got > tunables::kMaxDatagram || into == nullptr) return ReadOutcome::Skipped;
    into->data = QByteArray(m_buffer.data(), got);
    into->source = ntohl(from.sin_addr.s_addr);
    into->sourcePort = ntohs(from.sin_port);
    into->arrivalInterface = std::move(arrival);
    return ReadOutcome::Taken;
  }

  void onReadable() {
    m_received.onReadable([this](Datagram* into) { return readOne(into); },
                          [this] { emit readyRead(); });
  }

  WinsockSession m_session;
  QString m_interface;
  std::optional<CardBinding> m_card;
  SOCKET m_socket = INVALID_SOCKET;
  LPFN_WSARECVMSG m_receiveMessage = nullptr;
  QPointer<QSocketNotifier> m_notifier;
  ReceiveQueue m_received;
  std::vector<char> m_buffer = std::vector<char>(std::size_t(tunables::kMaxDatagram) + 1);
};

}  // namespace

std::unique_ptr<DatagramSocket> createDatagramSocket() { return std::make_unique<UdpSocket>(); }

std::unique_ptr<DatagramSocket> createInterfaceSocket(const QString& interfaceName) {
  return std::make_unique<UdpSocket>(interfaceName);
}

}  // namespace velmaro::platform::windows_backend
