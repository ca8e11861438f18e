// Reading the answer to a page request from its bytes as they arrive: the status line,
// the head, interim "1xx" heads, and a body framed by its length, by chunks or by the close
// of the connection. Every part has a size limit, so a server that never ends a part costs
// a bounded amount of work and memory.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace velmaro {

enum class ResponseState {
  Reading,   // more bytes are needed
  Complete,  // the answer is whole (or its body reached the page cap)
  Failed,    // malformed, past a limit, or cut off: no answer
};

class ResponseParser {
 public:
  // Takes the next bytes of the connection. Bytes after the end of the answer are ignored.
  void feed(QByteArrayView bytes);
  // The connection closed: a body that runs until the close is complete there; any other
  // answer not yet whole has failed.
  void close();

  ResponseState state() const { return m_state; }
  // The status code of the final head; 0 before it has been read.
  int status() const { return m_final ? m_status : 0; }
  // The body read so far, at most the page cap.
  const QByteArray& body() const { return m_body; }

 private:
  enum class Phase { StatusLine, Header, Body, ChunkSize, ChunkData, ChunkEnd, Trailer };

  bool takeLine(QByteArrayView& bytes, qsizetype limit, bool countsAsHead);
  void statusLine();
  void headerLine();
  void headEnded();
  void chunkSizeLine();
  void takeBody(QByteArrayView& bytes);
  void keep(QByteArrayView bytes);
  void fail() { m_state = ResponseState::Failed; }

  ResponseState m_state = ResponseState::Reading;
  Phase m_phase = Phase::StatusLine;
  QByteArray m_line;  // the line being read, without its end
  qsizetype m_headBytes = 0;
  int m_headLines = 0;
  int m_interimHeads = 0;
  int m_status = 0;
  bool m_final = false;  // the head being read (or read) is the final one, not a 1xx
  qint64 m_contentLength = -1;
  bool m_chunked = false;
  bool m_transferCoded = false;
  qint64 m_left = 0;  // body bytes or chunk bytes still to come
  QByteArray m_body;
};

}  // namespace velmaro
