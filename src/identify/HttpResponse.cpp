#include "identify/HttpResponse.h"

#include <algorithm>
#include <utility>

#include "support/Tunables.h"

namespace velmaro {
namespace {

constexpr qint64 kCap = tunables::kMaxPageBytes;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

QByteArrayView trimmed(QByteArrayView text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.isEmpty() && blank(text.front())) text = text.sliced(1);
  while (!text.isEmpty() && blank(text.back())) text.chop(1);
  return text;
}

// A decimal length; -1 when it is not one. Lengths past the cap are kept as the cap plus
// one: the body ends at the cap anyway.
qint64 readLength(QByteArrayView text) {
  if (text.isEmpty()) return -1;
  qint64 value = 0;
  for (const char c : text) {
    if (!isDigit(c)) return -1;
    value = std::min(value * 10 + (c - '0'), kCap + 1);
  }
  return value;
}

}  // namespace

void ResponseParser::feed(QByteArrayView bytes) {
  while (!bytes.isEmpty() && m_state == ResponseState::Reading) {
    switch (m_phase) {
      case Phase::StatusLine:
        if (takeLine(bytes, tunables::kMaxResponseLine, true)) statusLine();
        break;
      case Phase::Header:
        if (takeLine(bytes, tunables::kMaxResponseLine, true)) headerLine();
        break;
      case Phase::Trailer:
        if (takeLine(bytes, tunables::kMaxResponseLine, true) &&
            std::exchange(m_line, {}).isEmpty())
          m_state = ResponseState::Complete;
        break;
      case Phase::ChunkSize:
        if (takeLine(bytes, tunables::kMaxChunkSizeLine, false)) chunkSizeLine();
        break;
      case Phase::ChunkEnd:
        if (takeLine(bytes, tunables::kMaxChunkSizeLine, false)) {
          if (m_line.isEmpty())
            m_phase = Phase::ChunkSize;
          else
            fail();
        }
        break;
      case Phase::Body:
      case Phase::ChunkData:
        takeBody(bytes);
        break;
    }
  }
}

void ResponseParser::close() {
  if (m_state != ResponseState::Reading) return;
  const bool untilClose = m_phase == Phase::Body && m_contentLength < 0;
  m_state = untilClose ? ResponseState::Complete : ResponseState::Failed;
}

// Moves bytes up to the next line feed into m_line; true once the line is whole (its CR LF
// or LF dropped). Head lines also count against the head's limits.
bool ResponseParser::takeLine(QByteArrayView& bytes, qsizetype limit, bool countsAsHead) {
  const qsizetype feedAt = bytes.indexOf('\n');
  const qsizetype taken = feedAt < 0 ? bytes.size() : feedAt + 1;
  // The line's own length, plus room for a CR still waiting for its LF.
  const qsizetype pending = m_line.size() + taken;
  if (feedAt < 0 && (pending > limit + 1 || (pending == limit + 1 && bytes.back() != '\r'))) {
    fail();
    return false;
  }
  m_line.append(bytes.first(taken));
  bytes = bytes.sliced(taken);
  if (countsAsHead) {
    m_headBytes += taken;
    if (m_headBytes > tunables::kMaxResponseHeadBytes) {
      fail();
      return false;
    }
  }
  if (feedAt < 0) return false;
  m_line.chop(1);
  if (m_line.endsWith('\r')) m_line.chop(1);
  if (m_line.size() > limit || (countsAsHead && ++m_headLines > tunables::kMaxResponseHeadLines)) {
    fail();
    return false;
  }
  return true;
}

// "HTTP/1.1 200 OK"; the reason may be missing. Blank lines before it are skipped.
void ResponseParser::statusLine() {
  const QByteArray line = std::exchange(m_line, {});
  if (line.isEmpty()) return;
  const qsizetype space = line.indexOf(' ');
  if (!line.startsWith("HTTP/") || space < 0) return fail();
  const QByteArrayView rest = trimmed(QByteArrayView(line).sliced(space));
  if (rest.size() < 3 || !isDigit(rest[0]) || !isDigit(rest[1]) || !isDigit(rest[2]) ||
      (rest.size() > 3 && rest[3] != ' '))
    return fail();
  m_status = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
  // No protocol switch was asked for, so a "101" is as wrong as a status below 100.
  if (m_status < 100 || m_status == 101) return fail();
  m_final = m_status >= 200;
  m_contentLength = -1;
  m_chunked = false;
  m_transferCoded = false;
  m_phase = Phase::Header;
}

void ResponseParser::headerLine() {
  const QByteArray line = std::exchange(m_line, {});
  if (line.isEmpty()) return headEnded();
  const qsizetype colon = line.indexOf(':');
  if (colon <= 0) return;  // a line that is no field names nothing the reader needs
  const QByteArrayView name = trimmed(QByteArrayView(line).first(colon));
  const QByteArrayView value = trimmed(QByteArrayView(line).sliced(colon + 1));
  if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
    const qint64 length = readLength(value);
    // Two different lengths leave the body's end unknown.
    if (length < 0 || (m_contentLength >= 0 && m_contentLength != length)) return fail();
    m_contentLength = length;
  } else if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0) {
    // The last coding decides the framing; chunked must be last when it is there.
    const qsizetype comma = value.lastIndexOf(',');
    const QByteArrayView last = trimmed(comma < 0 ? value : value.sliced(comma + 1));
    m_transferCoded = true;
    m_chunked = last.compare("chunked", Qt::CaseInsensitive) == 0;
  }
}

void ResponseParser::headEnded() {
  if (!m_final) {
    if (++m_interimHeads > tunables::kMaxInterimHeads) return fail();
    m_phase = Phase::StatusLine;
    return;
  }
  if (m_status == 204 || m_status == 304) {
    m_state = ResponseState::Complete;
  } else if (m_chunked) {
    m_phase = Phase::ChunkSize;
  } else if (m_transferCoded || m_contentLength < 0) {
    // Another coding than chunked, or no length: the body runs until the close.
    m_contentLength = -1;
    m_phase = Phase::Body;
  } else if (m_contentLength == 0) {
    m_state = ResponseState::Complete;
  } else {
    m_left = m_contentLength;
    m_phase = Phase::Body;
  }
}

// A hex size, maybe followed by ";extension".
void ResponseParser::chunkSizeLine() {
  const QByteArray line = std::exchange(m_line, {});
  const qsizetype semicolon = line.indexOf(';');
  const QByteArrayView digits =
      trimmed(QByteArrayView(line).first(semicolon < 0 ? line.size() : semicolon));
  if (digits.isEmpty()) return fail();
  qint64 size = 0;
  for (const char c : digits) {
    const int value = hexValue(c);
    if (value < 0) return fail();
    size = std::min(size * 16 + value, kCap + 1);
  }
  if (size == 0) {
    m_phase = Phase::Trailer;
    return;
  }
  m_left = size;
  m_phase = Phase::ChunkData;
}

void ResponseParser::takeBody(QByteArrayView& bytes) {
  const bool counted = m_phase == Phase::ChunkData || m_contentLength >= 0;
  const qsizetype taken =
      counted ? qsizetype(std::min<qint64>(bytes.size(), m_left)) : bytes.size();
  keep(bytes.first(taken));
  bytes = bytes.sliced(taken);
  if (m_state != ResponseState::Reading) return;
  if (counted) m_left -= taken;
  if (!counted || m_left > 0) return;
  if (m_phase == Phase::ChunkData)
    m_phase = Phase::ChunkEnd;
  else
    m_state = ResponseState::Complete;
}

// A body that reaches the cap counts as complete there.
void ResponseParser::keep(QByteArrayView bytes) {
  m_body.append(bytes.first(std::min<qsizetype>(bytes.size(), kCap - m_body.size())));
  if (m_body.size() >= kCap) m_state = ResponseState::Complete;
}

}  // namespace velmaro
