// The Windows backends, one file per facility; WindowsPlatform.cpp ties them together.
#pragma once

#include "platform/Platform.h"
#include "platform/windows/ArpListing.h"

namespace velmaro::platform::windows_backend {

EchoOpenResult openEchoSocket();                                                      // Icmp.cpp
std::unique_ptr<DatagramSocket> createDatagramSocket();                               // Udp.cpp
std::unique_ptr<DatagramSocket> createInterfaceSocket(const QString& interfaceName);  // Udp.cpp
std::optional<std::vector<NetworkInterface>> networkInterfaces();  // Adapters.cpp
std::optional<std::vector<quint32>> ipv4Addresses();               // Adapters.cpp
std::optional<std::vector<Adapter>> adapters();                    // Adapters.cpp
RouteLookup routeTo(quint32 destination);                          // Routes.cpp
std::optional<std::vector<Neighbour>> neighbours();                // Neighbours.cpp
std::unique_ptr<NeighbourWatch> watchNeighbours();                 // Neighbours.cpp
CommandLine arpCommand();                                          // Neighbours.cpp
std::optional<QByteArray> neighbourListing();                      // Neighbours.cpp
std::unique_ptr<StopRequests> watchStopRequests();                 // StopEvents.cpp
IcmpPermission icmpPermission();                                   // Permissions.cpp
// convertArpListing: ArpListing.cpp

}  // namespace velmaro::platform::windows_backend
