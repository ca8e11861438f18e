#include "platform/windows/WindowsBackends.h"

namespace velmaro::platform {
namespace {

class WindowsPlatform final : public Platform {
 public:
  EchoOpenResult openEchoSocket() override { return windows_backend::openEchoSocket(); }
  std::unique_ptr<DatagramSocket> createDatagramSocket() override {
    return windows_backend::createDatagramSocket();
  }
  std::optional<std::vector<quint32>> ipv4Addresses() override {
    return windows_backend::ipv4Addresses();
  }
  std::optional<std::vector<Adapter>> adapters() override { return windows_backend::adapters(); }
  std::unique_ptr<DatagramSocket> createInterfaceSocket(const QString& interfaceName) override {
    return windows_backend::createInterfaceSocket(interfaceName);
  }
  std::optional<std::vector<NetworkInterface>> networkInterfaces() override {
    return windows_backend::networkInterfaces();
  }
  RouteLookup routeTo(quint32 destination) override {
    return windows_backend::routeTo(destination);
  }
  std::optional<std::vector<Neighbour>> neighbours() override {
    return windows_backend::neighbours();
  }
  std::unique_ptr<NeighbourWatch> watchNeighbours() override {
    return windows_backend::watchNeighbours();
  }
  std::unique_ptr<StopRequests> watchStopRequests() override {
    return windows_backend::watchStopRequests();
  }
  IcmpPermission icmpPermission() override { return windows_backend::icmpPermission(); }
  CommandLine arpCommand() const override { return windows_backend::arpCommand(); }
  QByteArray convertArpListing(const QByteArray& listing) const override {
    return windows_backend::convertArpListing(listing);
  }
  std::optional<QByteArray> neighbourListing() override {
    return windows_backend::neighbourListing();
  }
};

}  // namespace

std::unique_ptr<Platform> createSystemPlatform() { return std::make_unique<WindowsPlatform>(); }

}  // namespace velmaro::platform
