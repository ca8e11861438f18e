// A platform whose answers the test chooses. Facilities a test does not set behave like
// a host where they are missing. The fuzz targets and benchmarks derive their platforms
// from it, so a new facility needs its answer here and nowhere else outside src/.
#pragma once

#include <functional>

#include "platform/Platform.h"

namespace velmaro::test {

class FakePlatform : public platform::Platform {
 public:
  platform::EchoOpenResult openEchoSocket() override;
  std::unique_ptr<platform::DatagramSocket> createDatagramSocket() override;
  std::unique_ptr<platform::DatagramSocket> createInterfaceSocket(const QString& name) override;
  std::optional<std::vector<platform::NetworkInterface>> networkInterfaces() override {
    return cards;
  }
  platform::RouteLookup routeTo(quint32) override { return broadcastRoute; }
  std::optional<std::vector<platform::Neighbour>> neighbours() override { return neighbourTable; }
  std::unique_ptr<platform::NeighbourWatch> watchNeighbours() override {
    return neighbourWatchFactory ? neighbourWatchFactory() : nullptr;
  }
  std::unique_ptr<platform::StopRequests> watchStopRequests() override {
    return stopRequestsFactory ? stopRequestsFactory() : nullptr;
  }
  platform::IcmpPermission icmpPermission() override { return icmp; }
  std::optional<std::vector<quint32>> ipv4Addresses() override { return addresses; }
  std::optional<std::vector<platform::Adapter>> adapters() override { return adapterList; }
  platform::CommandLine arpCommand() const override { return arp; }
  QByteArray convertArpListing(const QByteArray& listing) const override;
  std::optional<QByteArray> neighbourListing() override { return neighbourText; }
  // Only loopback: a test that makes rows of made-up addresses must not reach a real host.
  bool allowsWebRequest(const QString& host) const override;

  std::function<platform::EchoOpenResult()> echoFactory;
  std::function<std::unique_ptr<platform::DatagramSocket>()> datagramFactory;
  std::optional<std::vector<quint32>> addresses;
  std::optional<std::vector<platform::Adapter>> adapterList;
  platform::CommandLine arp;
  std::function<QByteArray(const QByteArray&)> arpConverter;  // unset: listing unchanged
  // Per card: unset gives no socket.
  std::function<std::unique_ptr<platform::DatagramSocket>(const QString&)> interfaceSocketFactory;
  std::optional<std::vector<platform::NetworkInterface>> cards;
  platform::RouteLookup broadcastRoute;
  std::optional<std::vector<platform::Neighbour>> neighbourTable;
  std::optional<QByteArray> neighbourText;  // the table in the converted layout
  platform::IcmpPermission icmp;
  // Unset: a system that cannot tell of neighbour changes, or of stop requests.
  std::function<std::unique_ptr<platform::NeighbourWatch>()> neighbourWatchFactory;
  std::function<std::unique_ptr<platform::StopRequests>()> stopRequestsFactory;
};

// Host-order address from dotted text, for readable tests.
quint32 ipv4(const char* dotted);

}  // namespace velmaro::test
