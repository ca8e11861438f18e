// The answer's reader over the bytes servers send: framing, interim heads, and every limit
// that ends an answer that never ends its head. Each case is fed whole and byte by byte.
#include <gtest/gtest.h>

#include "identify/HttpResponse.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

struct AnswerCase {
  const char* what;
  QByteArray bytes;
  bool closes;  // the server closes the connection after the bytes
  ResponseState state;
  int status;
  QByteArray body;
};
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.what; }

const QByteArray kOk = "HTTP/1.1 200 OK\r\n";
const QByteArray kChunked = kOk + "Transfer-Encoding: chunked\r\n\r\n";
constexpr auto kReading = ResponseState::Reading;
constexpr auto kComplete = ResponseState::Complete;
constexpr auto kFailed = ResponseState::Failed;

QByteArray Repeat(const QByteArray& piece, qsizetype times) { return piece.repeated(times); }

class Answers : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(Answers, ReadWholeOrByteByByte) {
  const AnswerCase& c = GetParam();
  ResponseParser whole;
  ResponseParser bytewise;
  whole.feed(c.bytes);
  for (const char byte : c.bytes) bytewise.feed(QByteArrayView(&byte, 1));
  if (c.closes) {
    whole.close();
    bytewise.close();
  }
  for (const ResponseParser* parser : {&whole, &bytewise}) {
    EXPECT_EQ(parser->state(), c.state);
    EXPECT_EQ(parser->status(), c.status);
    EXPECT_EQ(parser->body(), c.body);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Servers, Answers,
    ::testing::Values(
        AnswerCase{"length", kOk + "Content-Length: 5\r\n\r\nhello and more", false, kComplete, 200,
                   "hello"},
        AnswerCase{"until close", "HTTP/1.0 200 OK\r\n\r\nhello", true, kComplete, 200, "hello"},
        AnswerCase{"until close, still open", "HTTP/1.0 200 OK\r\n\r\nhello", false, kReading, 200,
                   "hello"},
        AnswerCase{"LF line ends, no reason", "\r\nHTTP/1.0 404\nServer: x\n\nNot Found", true,
                   kComplete, 404, "Not Found"},
        AnswerCase{"chunked with extension and trailer",
                   kChunked + "3;x=1\r\nabc\r\na\r\n0123456789\r\n0\r\nT: 1\r\n\r\n", false,
                   kComplete, 200, "abc0123456789"},
        AnswerCase{
            "chunked overrides length",
            kOk +
                "Content-Length: 1\r\nTransfer-Encoding: gzip, chunked\r\n\r\n2\r\nab\r\n0\r\n\r\n",
            false, kComplete, 200, "ab"},
        AnswerCase{"other coding runs until close",
                   kOk + "Transfer-Encoding: gzip\r\nContent-Length: 1\r\n\r\nabc", true, kComplete,
                   200, "abc"},
        AnswerCase{"interim heads skipped",
                   Repeat("HTTP/1.1 100 Continue\r\n\r\n", tunables::kMaxInterimHeads) +
                       "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Negotiate\r\n"
                       "Content-Length: 2\r\n\r\nno",
                   false, kComplete, 401, "no"},
        AnswerCase{"no body after 204", "HTTP/1.1 204 No Content\r\nContent-Length: 9\r\n\r\n",
                   false, kComplete, 204, ""},
        AnswerCase{
            "body at the cap",
            kOk + "Content-Length: 99999999\r\n\r\n" + QByteArray(tunables::kMaxPageBytes + 7, 'x'),
            false, kComplete, 200, QByteArray(tunables::kMaxPageBytes, 'x')},
        AnswerCase{"cut off body", kOk + "Content-Length: 10\r\n\r\nabc", true, kFailed, 200,
                   "abc"},
        AnswerCase{"cut off chunk", kChunked + "5\r\nab", true, kFailed, 200, "ab"},
        AnswerCase{"cut off head", kOk + "Server: x", true, kFailed, 200, ""},
        AnswerCase{"not HTTP", "<html>hello</html>\r\n", true, kFailed, 0, ""},
        AnswerCase{"switching protocols", "HTTP/1.1 101 Switching\r\n\r\n", false, kFailed, 0, ""},
        AnswerCase{"two lengths", kOk + "Content-Length: 1\r\nContent-Length: 2\r\n\r\nab", false,
                   kFailed, 200, ""},
        AnswerCase{"length not a number", kOk + "Content-Length: -1\r\n\r\n", false, kFailed, 200,
                   ""},
        AnswerCase{"chunk size not a number", kChunked + "zz\r\n", false, kFailed, 200, ""},
        AnswerCase{"no line end after chunk", kChunked + "1\r\naXY\r\n", false, kFailed, 200, "a"},
        AnswerCase{"endless header line",
                   kOk + "X-Endless: " + QByteArray(tunables::kMaxResponseLine, 'a'), false,
                   kFailed, 200, ""},
        AnswerCase{"header lines past the count",
                   kOk + Repeat("X: y\r\n", tunables::kMaxResponseHeadLines), false, kFailed, 200,
                   ""},
        AnswerCase{"head past its size", kOk + Repeat("X: " + QByteArray(8000, 'v') + "\r\n", 9),
                   false, kFailed, 200, ""},
        AnswerCase{"endless interim heads",
                   Repeat("HTTP/1.1 100 Continue\r\n\r\n", tunables::kMaxInterimHeads + 1), false,
                   kFailed, 0, ""},
        AnswerCase{"endless chunk-size line",
                   kChunked + QByteArray(tunables::kMaxChunkSizeLine + 1, '0'), false, kFailed, 200,
                   ""}),
    [](const auto& test) {
      std::string name = test.param.what;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

}  // namespace
}  // namespace velmaro
