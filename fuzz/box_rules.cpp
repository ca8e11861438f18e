// The rules of the port box and of the time-out box, for any text typed or pasted into
// them. Input: the box text as UTF-8, then optionally a byte giving the sweep's length.
#include <cmath>

#include "FuzzCheck.h"
#include "form/MainForm.h"
#include "scan/ScanRange.h"
#include "support/Numbers.h"
#include "support/Tunables.h"
#include "support/VbError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const QString text = QString::fromUtf8(input.field());
  const int count = 1 + input.byte();  // 1 to 256 addresses

  // The port box always ends as a port every reader takes, and a second pass keeps it.
  const QString port = ValidatedPortText(text);
  FUZZ_CHECK(IsPlainNumber(port));
  const double portValue = RoundHalfEven(LeadingNumber(port));
  FUZZ_CHECK(portValue >= 1 && portValue <= 65535);
  FUZZ_CHECK(ValidatedPortText(port) == port);

  // The time-out box: written back at least 100 and finite, stable on a second pass, or
  // refused as too large; the engine's limits fit or are refused the same way.
  QString timeout;
  try {
    timeout = PingTimeoutText(text);
  } catch (const VbError& e) {
    FUZZ_CHECK(e.number == 6);
    return 0;
  }
  const double timeoutValue = LeadingNumber(timeout);
  FUZZ_CHECK(std::isfinite(timeoutValue) && timeoutValue >= tunables::kMinPingTimeoutMs);
  FUZZ_CHECK(PingTimeoutText(timeout) == timeout);
  try {
    const PingLimits limits = PingLimitsFor(timeout, count);
    FUZZ_CHECK(limits.hostMs >= 2 * tunables::kMinPingTimeoutMs);
    FUZZ_CHECK(limits.allMs >= limits.hostMs);
  } catch (const VbError& e) {
    FUZZ_CHECK(e.number == 6);
  }
  return 0;
}
