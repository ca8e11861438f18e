// ICMP echo through Windows' ICMP helper (IcmpSendEcho2), which any user may call. Each
// request is its own asynchronous call whose completion routine the system queues to this
// thread; Qt's event loop waits alertably, so the routine runs there as soon as the reply
// (or the time-out) comes, with no event, no wait thread and no polling. The routine only
// marks its request done and asks the loop for one pass over the finished ones.
//
// The helper picks the identifier and the sequence number itself: each request keeps the
// sequence the engine gave it, and its reply is handed back under that sequence.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <windows.h>

#include <iphlpapi.h>
#include <winternl.h>

// winternl.h declares the completion routine's type; the helper's header takes it once told.
#define PIO_APC_ROUTINE_DEFINED
#include <icmpapi.h>

#include <QMetaObject>
#include <QPointer>
#include <deque>
#include <list>
#include <vector>

#include "platform/windows/SystemError.h"
#include "platform/windows/WindowsBackends.h"
#include "support/Tunables.h"

namespace velmaro::platform::windows_backend {
namespace {

// Requests in flight at once; beyond it the engine is asked to send again later.
constexpr std::size_t kMaxInFlight = 4096;
// How long the helper waits for one reply. The engine times each request out by itself,
// usually far sooner; a silent address holds its place in flight until this ends.
constexpr DWORD kHelperWaitMs = 5000;
// How long closing the socket waits for the requests the helper still owns.
constexpr ULONGLONG kCloseWaitMs = 2000;
constexpr DWORD kCloseStepMs = 20;
// Replies held for the engine to take.
constexpr std::size_t kMaxQueued = 4096;
// A reply buffer holds the reply's header and the echoed data, plus an ICMP error's 8 bytes
// and the status block the helper keeps at its end (16 bytes on 64-bit Windows).
constexpr std::size_t kReplyExtraBytes = 8 + 16 + 8;

struct IcmpCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) ::IcmpCloseHandle(handle);
  }
};
using IcmpHandle = std::unique_ptr<void, IcmpCloser>;

class WindowsEchoSocket;

// One request the helper owns until its completion routine has run: the buffer it writes
// the reply into, and what the engine sent.
struct Request {
  WindowsEchoSocket* owner = nullptr;  // null once the socket has given the request up
  bool done = false;
  quint16 sequence = 0;
  QByteArray data;
  std::vector<char> reply;
};

void NTAPI onRequestDone(void* context, PIO_STATUS_BLOCK, ULONG);

class WindowsEchoSocket final : public EchoSocket {
 public:
  explicit WindowsEchoSocket(IcmpHandle icmp) : m_icmp(std::move(icmp)) {}

  ~WindowsEchoSocket() override {
    m_closing = true;
    // Closing the helper's handle ends its requests; each routine still runs, and the
    // system no longer writes into a buffer once its routine has run.
    m_icmp.reset();
    const ULONGLONG deadline = ::GetTickCount64() + kCloseWaitMs;
    while (inFlight() > 0 && ::GetTickCount64() < deadline) ::SleepEx(kCloseStepMs, TRUE);
    // A request the system still owns is handed to its routine, which frees it.
    for (std::unique_ptr<Request>& request : m_requests) {
      if (request->done) continue;
      request->owner = nullptr;
      [[maybe_unused]] Request* toRoutine = request.release();
    }
  }
  WindowsEchoSocket(const WindowsEchoSocket&) = delete;
  WindowsEchoSocket& operator=(const WindowsEchoSocket&) = delete;

  SendResult send(quint32 destination, quint16 sequence, const QByteArray& data) override {
    if (m_requests.size() >= kMaxInFlight) return SendResult::TryAgain;
    if (data.size() > tunables::kEchoReceiveBuffer) return SendResult::Refused;
    auto request = std::make_unique<Request>();
    request->owner = this;
    request->sequence = sequence;
    request->data = data;
    request->data.detach();  // the helper takes a writable buffer
    request->reply.resize(sizeof(ICMP_ECHO_REPLY) + std::size_t(data.size()) + kReplyExtraBytes);
    Request* pending = request.get();
    const DWORD answered = ::IcmpSendEcho2(
        m_icmp.get(), nullptr, onRequestDone, pending, htonl(destination),
        pending->data.isEmpty() ? nullptr : pending->data.data(), WORD(pending->data.size()),
        nullptr, pending->reply.data(), DWORD(pending->reply.size()), kHelperWaitMs);
    const DWORD error = answered != 0 ? ERROR_SUCCESS : ::GetLastError();
    if (answered == 0 && error != ERROR_IO_PENDING) {
      const bool busy = error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_NO_SYSTEM_RESOURCES ||
                        error == IP_NO_RESOURCES;
      return busy ? SendResult::TryAgain : SendResult::Refused;
    }
    // Even a request answered at once ends through its routine.
    m_requests.push_back(std::move(request));
    return SendResult::Sent;
  }

  void watchWritable(bool on) override { m_watchWritable = on; }

  std::optional<EchoReply> receive() override {
    if (m_replies.empty()) return std::nullopt;
    EchoReply next = std::move(m_replies.front());
    m_replies.pop_front();
    return next;
  }

  // From a completion routine, on this thread.
  void requestDone(Request& request) {
    request.done = true;
    if (m_closing || m_collectPosted) return;
    m_collectPosted = true;
    QMetaObject::invokeMethod(
        this, [this] { collect(); }, Qt::QueuedConnection);
  }

 private:
  std::size_t inFlight() const {
    std::size_t count = 0;
    for (const std::unique_ptr<Request>& request : m_requests) count += request->done ? 0 : 1;
    return count;
  }

  void collect() {
    m_collectPosted = false;
    const std::size_t before = m_requests.size();
    bool replied = false;
    for (auto it = m_requests.begin(); it != m_requests.end();) {
      if (!(*it)->done) {
        ++it;
        continue;
      }
      replied = takeReply(**it) || replied;
      it = m_requests.erase(it);
    }
    const bool freed = m_requests.size() < before;
    const QPointer<WindowsEchoSocket> alive(this);  // a handler may delete the socket
    if (replied) emit readyRead();
    if (alive && freed && m_watchWritable) emit writable();
  }

  bool takeReply(const Request& request) {
    const DWORD count =
        ::IcmpParseReplies(const_cast<char*>(request.reply.data()), DWORD(request.reply.size()));
    if (count == 0) return false;  // timed out (IP_REQ_TIMED_OUT) or cancelled: no reply
    const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(request.reply.data());
    if (reply->Status != IP_SUCCESS || m_replies.size() >= kMaxQueued) return false;
    const char* start = static_cast<const char*>(reply->Data);
    const char* bufferEnd = request.reply.data() + request.reply.size();
    // The data must lie within this request's buffer, whatever the helper wrote.
    if (start < request.reply.data() || start > bufferEnd ||
        qsizetype(reply->DataSize) > bufferEnd - start)
      return false;
    m_replies.push_back(
        {ntohl(reply->Address), request.sequence, QByteArray(start, qsizetype(reply->DataSize))});
    return true;
  }

  IcmpHandle m_icmp;
  std::list<std::unique_ptr<Request>> m_requests;
  std::deque<EchoReply> m_replies;
  bool m_watchWritable = false;
  bool m_collectPosted = false;
  bool m_closing = false;
};

void NTAPI onRequestDone(void* context, PIO_STATUS_BLOCK, ULONG) {
  auto* request = static_cast<Request*>(context);
  if (request->owner == nullptr) {
    const std::unique_ptr<Request> givenUp(request);
    return;
  }
  request->owner->requestDone(*request);
}

}  // namespace

EchoOpenResult openEchoSocket() {
  EchoOpenResult result;
  IcmpHandle icmp(::IcmpCreateFile());
  if (icmp.get() == INVALID_HANDLE_VALUE) {
    const int error = int(::GetLastError());
    result.permissionDenied = error == ERROR_ACCESS_DENIED;
    result.error = systemErrorText(error);
    return result;
  }
  result.socket = std::make_unique<WindowsEchoSocket>(std::move(icmp));
  return result;
}

}  // namespace velmaro::platform::windows_backend
