// The Linux backends, one file per facility; LinuxPlatform.cpp ties them together.
#pragma once

#include "platform/Platform.h"

namespace velmaro::platform::linux_backend {

EchoOpenResult openEchoSocket();                                                      // Icmp.cpp
std::unique_ptr<DatagramSocket> createDatagramSocket();                               // Udp.cpp
std::unique_ptr<DatagramSocket> createInterfaceSocket(const QString& interfaceName);  // Udp.cpp
std::optional<std::vector<NetworkInterface>> networkInterfaces();  // NetworkCards.cpp
RouteLookup routeTo(quint32 destination);                          // Routes.cpp
std::optional<std::vector<Neighbour>> neighbours();                // Neighbours.cpp
std::unique_ptr<NeighbourWatch> watchNeighbours();                 // NeighbourEvents.cpp
std::unique_ptr<StopRequests> watchStopRequests();                 // StopSignals.cpp
IcmpPermission icmpPermission();                                   // Permissions.cpp
std::optional<std::vector<quint32>> ipv4Addresses();               // Interfaces.cpp
std::optional<std::vector<Adapter>> adapters();                    // Interfaces.cpp
CommandLine arpCommand();                                          // Neighbours.cpp
QByteArray convertArpListing(const QByteArray& listing);           // Neighbours.cpp
std::optional<QByteArray> neighbourListing();                      // Neighbours.cpp

}  // namespace velmaro::platform::linux_backend
