// The kernel's neighbour notifications read from any bytes: nothing is read past the
// datagram, and every neighbour reported is whole (an address always, a MAC when present).
#include "FuzzCheck.h"
#include "platform/linux/NeighbourMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro::platform;
  velmaro::fuzz::Input input(data, size);
  const QByteArray datagram = input.rest().toByteArray();
  const std::vector<NeighbourUpdate> updates = linux_backend::parseNeighbourMessages(datagram);
  // Every neighbour takes a message header, its entry and one address attribute.
  FUZZ_CHECK(updates.size() * 36 <= std::size_t(datagram.size()));
  for (const NeighbourUpdate& update : updates) {
    FUZZ_CHECK(update.state != NeighbourState::Present || update.mac.has_value());
  }
  return 0;
}
