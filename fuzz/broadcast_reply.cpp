// The units' answers to the discovery query: any datagram, from any sender, at any time.
// Input: four bytes of sender address, then the datagram.
#include "FuzzCheck.h"
#include "discovery/BroadcastReply.h"
#include "support/Ipv4Text.h"
#include "support/Tunables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const quint32 sender = input.word();
  const QByteArrayView datagram = input.rest();
  const auto reply = ParseBroadcastReply(datagram, sender);
  if (datagram.size() < kMinReplyLength || datagram.size() > tunables::kMaxDatagram) {
    FUZZ_CHECK(!reply);
  }
  if (!reply) return 0;
  // A cell is shown, copied and written out as text: a NUL in it would cut it short.
  for (const QString* cell : {&reply->address, &reply->mac, &reply->name, &reply->httpPort})
    FUZZ_CHECK(!cell->contains(QChar(u'\0')));
  FUZZ_CHECK(reply->address == DottedAddress(sender));
  FUZZ_CHECK(reply->mac.size() + reply->name.size() <= datagram.size());
  if (reply->httpPort != u"N/A") {
    FUZZ_CHECK(reply->hasPortLine);
    bool whole = false;
    const uint port = reply->httpPort.toUInt(&whole);
    FUZZ_CHECK(whole && port <= 65535);
    FUZZ_CHECK(reply->httpPort == QString::number(port));
  }
  return 0;
}
