// The host's own addresses, their order, and the scan prefix chosen from them.
#include <gtest/gtest.h>

#include "netinfo/LocalIPs.h"
#include "support/FakePlatform.h"

namespace velmaro {
namespace {

using test::ipv4;

std::vector<quint32> hostOrder(std::initializer_list<const char*> dotted) {
  std::vector<quint32> out;
  for (const char* d : dotted) out.push_back(ipv4(d));
  return out;
}

QStringList texts(std::initializer_list<const char*> dotted) {
  QStringList out;
  for (const char* d : dotted) out.append(QString::fromLatin1(d));
  return out;
}

struct OrderCase {
  std::vector<const char*> input;
  std::vector<const char*> expected;
};

class OrderLocalAddressesTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(OrderLocalAddressesTest, SortsByTheAddressAsALittleEndianNumber) {
  std::vector<quint32> in;
  for (const char* d : GetParam().input) in.push_back(ipv4(d));
  QStringList expected;
  for (const char* d : GetParam().expected) expected.append(QString::fromLatin1(d));
  EXPECT_EQ(OrderLocalAddresses(in), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, OrderLocalAddressesTest,
    ::testing::Values(
        // The loopback's key 0x0100007F is below 10.20.30.40's 0x281E140A.
        OrderCase{{"10.20.30.40", "127.0.0.1"}, {"127.0.0.1", "10.20.30.40"}},
        // And 10.0.0.1 (0x0100000A) sorts before the loopback.
        OrderCase{{"127.0.0.1", "10.0.0.1"}, {"10.0.0.1", "127.0.0.1"}},
        // The last octet weighs most, the first least: not the dotted-text order.
        OrderCase{{"192.168.0.2", "10.0.0.3", "172.16.5.1"},
                  {"172.16.5.1", "192.168.0.2", "10.0.0.3"}},
        OrderCase{{"1.0.0.2", "2.0.0.1"}, {"2.0.0.1", "1.0.0.2"}},
        // Zero bytes give "0" parts; small values have no leading zeros.
        OrderCase{{"0.0.0.0"}, {"0.0.0.0"}}, OrderCase{{"10.0.9.99"}, {"10.0.9.99"}},
        // No entry is skipped, duplicates included.
        OrderCase{{"10.1.1.1", "10.1.1.1"}, {"10.1.1.1", "10.1.1.1"}}, OrderCase{{}, {}}));

TEST(OrderLocalAddresses, TwentyOneAddressesFitMoreGiveNothing) {
  std::vector<quint32> addresses;
  for (quint32 i = 1; i <= 21; ++i) addresses.push_back(ipv4("10.0.0.0") + i);
  const QStringList listed = OrderLocalAddresses(addresses);
  ASSERT_EQ(listed.size(), 21);
  EXPECT_EQ(listed.first(), QStringLiteral("10.0.0.1"));
  EXPECT_EQ(listed.last(), QStringLiteral("10.0.0.21"));
  addresses.push_back(ipv4("10.0.0.22"));
  EXPECT_TRUE(OrderLocalAddresses(addresses).isEmpty());
}

TEST(GetLocalIPs, ReadsThePlatformTable) {
  test::FakePlatform platform;
  platform.addresses = hostOrder({"10.20.30.40", "127.0.0.1"});
  EXPECT_EQ(GetLocalIPs(platform), texts({"127.0.0.1", "10.20.30.40"}));
}

TEST(GetLocalIPs, FailingQueryGivesAnEmptyList) {
  test::FakePlatform platform;
  platform.addresses.reset();
  EXPECT_TRUE(GetLocalIPs(platform).isEmpty());
  platform.addresses = std::vector<quint32>{};
  EXPECT_TRUE(GetLocalIPs(platform).isEmpty());
}

struct PresetCase {
  std::vector<const char*> table;  // as GetLocalIPs returns it
  const char* localIP;             // nullptr: no preset
  std::array<const char*, 3> octets;
};

class ChooseNetworkPrefixTest : public ::testing::TestWithParam<PresetCase> {};

TEST_P(ChooseNetworkPrefixTest, PicksTheHostsOwnNetwork) {
  const PresetCase& c = GetParam();
  QStringList table;
  for (const char* a : c.table) table.append(QString::fromLatin1(a));
  const auto preset = ChooseNetworkPrefix(table);
  if (!c.localIP) {
    EXPECT_FALSE(preset.has_value());
    return;
  }
  ASSERT_TRUE(preset.has_value());
  EXPECT_EQ(preset->localIP, QString::fromLatin1(c.localIP));
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(preset->octets[i], QString::fromLatin1(c.octets[i])) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ChooseNetworkPrefixTest,
    ::testing::Values(
        PresetCase{{"127.0.0.1", "10.20.30.40"}, "10.20.30.40", {"10", "20", "30"}},
        // The host's address sorts first: the loopback must not become the prefix.
        PresetCase{{"10.0.0.1", "127.0.0.1"}, "10.0.0.1", {"10", "0", "0"}},
        PresetCase{{"127.0.0.1", "192.168.7.9", "10.1.2.3"}, "192.168.7.9", {"192", "168", "7"}},
        PresetCase{{"127.0.0.1", "127.0.1.1"}, "127.0.1.1", {"127", "0", "1"}},
        // Fewer than two addresses: the boxes keep their texts.
        PresetCase{{"10.20.30.40"}, nullptr, {}}, PresetCase{{"127.0.0.1"}, nullptr, {}},
        PresetCase{{}, nullptr, {}},
        // A text with missing parts leaves those boxes alone.
        PresetCase{{"127.0.0.1", "10..5"}, "10..5", {"10", "", "5"}},
        PresetCase{{"127.0.0.1", "10"}, "10", {"10", "", ""}}));

}  // namespace
}  // namespace velmaro
