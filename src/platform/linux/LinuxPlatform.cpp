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
  std::unique_ptr<DatagramSocket> createInterfaceSocket(const QString& interfaceName) override {
    return linux_backend::createInterfaceSocket(interfaceName);
  }
  std::optional<std::vector<NetworkInterface>> networkInterfaces() override {
    return linux_backend::networkInterfaces();
  }
  RouteLookup routeTo(quint32 destination) override { return linux_backend::routeTo(destination); }
  std::optional<std::vector<Neighbour>> neighbours() override {
    return linux_backend::neighbours();
  }
  std::unique_ptr<NeighbourWatch> watchNeighbours() override {
    return linux_backend::watchNeighbours();
  }
  std::unique_ptr<StopRequests> watchStopRequests() override {
    return linux_backend::watchStopRequests();
  }
  IcmpPermission icmpPermission() override { return linux_backend::icmpPermission(); }
  CommandLine arpCommand() const override { return linux_backend::arpCommand(); }
  QByteArray convertArpListing(const QByteArray& listing) const override {
    return linux_backend::convertArpListing(listing);
  }
  std::optional<QByteArray> neighbourListing() override {
    return linux_backend::neighbourListing();
  }
};

}  // namespace

std::unique_ptr<Platform> createSystemPlatform() { return std::make_unique<LinuxPlatform>(); }

}  // namespace velmaro::platform
