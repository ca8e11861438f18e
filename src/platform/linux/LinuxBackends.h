// The Linux backends, one file per facility; LinuxPlatform.cpp ties them together.
#pragma once

#include "platform/Platform.h"

namespace velmaro::platform::linux_backend {

EchoOpenResult openEchoSocket();                                   // Icmp.cpp
std::unique_ptr<DatagramSocket> createDatagramSocket();            // Udp.cpp
std::optional<std::vector<quint32>> ipv4Addresses();               // Interfaces.cpp
std::optional<std::vector<Adapter>> adapters();                    // Interfaces.cpp
CommandLine arpCommand();                                          // Neighbours.cpp
QByteArray convertArpListing(const QByteArray& listing);           // Neighbours.cpp

}  // namespace velmaro::platform::linux_backend
