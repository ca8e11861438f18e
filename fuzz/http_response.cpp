// The answer to a page request over any bytes a server may send. Input: one byte that sets
// the size of the pieces the bytes arrive in, one that says whether the server then closes,
// and the bytes.
#include "FuzzCheck.h"
#include "identify/HttpResponse.h"
#include "support/Tunables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const qsizetype piece = 1 + input.byte();
  const bool closes = (input.byte() & 1) != 0;
  const QByteArrayView bytes = input.rest();

  ResponseParser whole;
  whole.feed(bytes);
  ResponseParser pieces;
  for (qsizetype at = 0; at < bytes.size(); at += piece)
    pieces.feed(bytes.sliced(at, std::min(piece, bytes.size() - at)));
  if (closes) {
    whole.close();
    pieces.close();
  }
  // How the bytes were cut never changes the answer.
  FUZZ_CHECK(whole.state() == pieces.state());
  FUZZ_CHECK(whole.status() == pieces.status());
  FUZZ_CHECK(whole.body() == pieces.body());
  // A body is never longer than the cap or than what came.
  FUZZ_CHECK(whole.body().size() <= tunables::kMaxPageBytes);
  FUZZ_CHECK(whole.body().size() <= bytes.size());
  // A whole answer has a final status; after the close nothing is left undecided.
  if (whole.state() == ResponseState::Complete)
    FUZZ_CHECK(whole.status() >= 200 && whole.status() <= 999);
  if (closes) FUZZ_CHECK(whole.state() != ResponseState::Reading);
  return 0;
}
