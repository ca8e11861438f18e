// Address texts as the echo engine reads them, and the texts it must never send to.
#include <gtest/gtest.h>

#include "scan/EchoAddress.h"
#include "support/FakePlatform.h"

namespace velmaro::test {
namespace {

struct Case {
  const char* text;
  const char* expected;  // dotted result, or nullptr when the text is no address
};

class EchoAddressTest : public ::testing::TestWithParam<Case> {};

TEST_P(EchoAddressTest, Reads) {
  const Case c = GetParam();
  const auto address = EchoAddressFromText(QString::fromLatin1(c.text));
  if (c.expected) {
    ASSERT_TRUE(address.has_value()) << c.text;
    EXPECT_EQ(*address, ipv4(c.expected)) << c.text;
  } else {
    EXPECT_FALSE(address.has_value()) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EchoAddressTest,
    ::testing::Values(
        Case{"192.168.0.1", "192.168.0.1"}, Case{"10.0.0.255", "10.0.0.255"},
        Case{"0.0.0.0", "0.0.0.0"}, Case{"127.0.0.1  ", "127.0.0.1"}, Case{"10.1", "10.0.0.1"},
        Case{"10.1.258", "10.1.1.2"}, Case{"0x7f.1", "127.0.0.1"}, Case{"010.0.0.1", "8.0.0.1"},
        Case{"3232235521", "192.168.0.1"}, Case{"254.255.255.255", "254.255.255.255"},
        // the conversion's no-address value: a broadcast ping, never sent
        Case{"255.255.255.255", nullptr}, Case{"0xffffffff", nullptr}, Case{"256.1.1.1", nullptr},
        Case{"1.256.1.1", nullptr}, Case{"1.2.3.256", nullptr}, Case{"a.b.c.d", nullptr},
        Case{"", nullptr}, Case{" 1.2.3.4", nullptr}, Case{"1.2.3.", nullptr},
        Case{"1..2.3", nullptr}, Case{"1.2.3.4.5", nullptr}, Case{"1.2.3.4x", nullptr},
        Case{"1.2.3.4 x", nullptr}, Case{"08.1.1.1", nullptr}, Case{"0x.1.1.1", nullptr},
        Case{"4294967296", nullptr}, Case{"99999999999999999999", nullptr},
        Case{"-1.2.3.4", nullptr}, Case{"1.2.3.-4", nullptr}, Case{"1.2.65536", nullptr},
        Case{"1.16777216", nullptr}));

TEST(EchoAddressLimits, OverlongTextIsNoAddress) {
  EXPECT_FALSE(EchoAddressFromText(QStringLiteral("1.2.3.4") + QString(200, u' ')));
  EXPECT_FALSE(EchoAddressFromText(QString(100000, u'9')));
}

}  // namespace
}  // namespace velmaro::test
