#include "platform/linux/LinuxBackends.h"

namespace velmaro::platform {
namespace {

class LinuxPlatform final : public Platform {
 public:
  EchoOpenResult openEchoSocket() override { return linux_backend::openEchoSocket(); }
  std::unique_ptr<DatagramSocket> createDatagramSocket() override {
    return linux_backend::createDatagramSocket();
  }
  std::optional<std::vector<quint32>> ipv4Addresses() override {
    return linux_backend::ipv4Addresses();
  }
  std::optional<std::vector<Adapter>> adapters() override { return linux_backend::adapters(); }
  CommandLine arpCommand() const override { return linux_backend::arpCommand(); }
  QByteArray convertArpListing(const QByteArray& listing) const override {
    return linux_backend::convertArpListing(listing);
  }
};

}  // namespace

std::unique_ptr<Platform> createSystemPlatform() { return std::make_unique<LinuxPlatform>(); }

}  // namespace velmaro::platform
