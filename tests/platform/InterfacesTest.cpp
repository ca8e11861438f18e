// The host's addresses and adapters from the kernel's interface list: a hand-made list
// for the rules, and this host's own list for the real call.
#include <arpa/inet.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <deque>

#include "platform/linux/InterfaceWalk.h"
#include "platform/linux/LinuxBackends.h"
#include "support/FakePlatform.h"

namespace velmaro::platform::linux_backend {
namespace {

using test::ipv4;

// Builds an interface list like the one getifaddrs returns; owns every part of it.
class InterfaceList {
 public:
  InterfaceList& packet(const char* name, std::initializer_list<unsigned char> mac,
                        unsigned flags = IFF_UP) {
    sockaddr_ll& link = m_links.emplace_back();
    link.sll_family = AF_PACKET;
    link.sll_halen = static_cast<unsigned char>(mac.size());
    std::copy(mac.begin(), mac.end(), link.sll_addr);
    return add(name, reinterpret_cast<sockaddr*>(&link), flags);
  }
  InterfaceList& inet(const char* name, const char* dotted, unsigned flags = IFF_UP) {
    sockaddr_in& in = m_inets.emplace_back();
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(ipv4(dotted));
    return add(name, reinterpret_cast<sockaddr*>(&in), flags);
  }
  InterfaceList& inet6(const char* name) {
    sockaddr_in6& in6 = m_inet6s.emplace_back();
    in6.sin6_family = AF_INET6;
    return add(name, reinterpret_cast<sockaddr*>(&in6), IFF_UP);
  }
  InterfaceList& noAddress(const char* name) { return add(name, nullptr, IFF_UP); }

  const ifaddrs* head() {
    for (std::size_t i = 0; i + 1 < m_entries.size(); ++i)
      m_entries[i].ifa_next = &m_entries[i + 1];
    return m_entries.empty() ? nullptr : &m_entries.front();
  }

 private:
  InterfaceList& add(const char* name, sockaddr* address, unsigned flags) {
    ifaddrs& entry = m_entries.emplace_back();
    entry.ifa_name = const_cast<char*>(name);
    entry.ifa_addr = address;
    entry.ifa_flags = flags;
    return *this;
  }

  std::deque<ifaddrs> m_entries{};  // deque: entries never move once made
  std::deque<sockaddr_ll> m_links{};
  std::deque<sockaddr_in> m_inets{};
  std::deque<sockaddr_in6> m_inet6s{};
};

InterfaceList typicalHost() {
  InterfaceList list;
  list.packet("lo", {0, 0, 0, 0, 0, 0}, IFF_UP | IFF_LOOPBACK)
      .packet("eth0", {0x00, 0x1b, 0x21, 0x00, 0x00, 0x05})
      .packet("tun0", {})
      .packet("wlan0", {0x00, 0x0a, 0x2b, 0x01, 0x80, 0x01})
      .inet("lo", "127.0.0.1", IFF_UP | IFF_LOOPBACK)
      .inet("eth0", "198.51.100.10")
      .inet("eth0:1", "203.0.113.7")
      .inet("tun0", "10.8.0.1")
      .inet6("eth0")
      .noAddress("dummy0");
  return list;
}

TEST(Interfaces, EveryIPv4AddressInListOrderLoopbackIncluded) {
  InterfaceList list = typicalHost();
  EXPECT_EQ(ipv4AddressesIn(list.head()),
            (std::vector<quint32>{ipv4("127.0.0.1"), ipv4("198.51.100.10"), ipv4("203.0.113.7"),
                                  ipv4("10.8.0.1")}));
  EXPECT_TRUE(ipv4AddressesIn(nullptr).empty());
}

TEST(Interfaces, AdaptersAreInterfacesWithAHardwareAddressButNotLoopback) {
  InterfaceList list = typicalHost();
  const std::vector<Adapter> adapters = adaptersIn(list.head());
  ASSERT_EQ(adapters.size(), 2u);
  EXPECT_EQ(adapters[0].name, QStringLiteral("eth0"));
  EXPECT_EQ(adapters[0].hardwareAddress, QByteArray::fromHex("001b21000005"));
  // the alias label's address belongs to its interface
  EXPECT_EQ(adapters[0].ipv4, (std::vector<quint32>{ipv4("198.51.100.10"), ipv4("203.0.113.7")}));
  EXPECT_EQ(adapters[1].name, QStringLiteral("wlan0"));
  EXPECT_EQ(adapters[1].hardwareAddress, QByteArray::fromHex("000a2b018001"));
  EXPECT_TRUE(adapters[1].ipv4.empty());
}

TEST(Interfaces, ThisHostsOwnList) {
  const auto addresses = ipv4Addresses();
  ASSERT_TRUE(addresses.has_value());
  EXPECT_NE(std::find(addresses->begin(), addresses->end(), ipv4("127.0.0.1")), addresses->end());
  const auto adapters = platform::linux_backend::adapters();
  ASSERT_TRUE(adapters.has_value());
  for (const Adapter& adapter : *adapters) {
    EXPECT_NE(adapter.name, QStringLiteral("lo"));
    EXPECT_FALSE(adapter.hardwareAddress.isEmpty()) << adapter.name.toStdString();
    for (const quint32 address : adapter.ipv4) {
      EXPECT_NE(std::find(addresses->begin(), addresses->end(), address), addresses->end());
      EXPECT_NE(address >> 24, 127u) << adapter.name.toStdString();
    }
  }
}

}  // namespace
}  // namespace velmaro::platform::linux_backend
