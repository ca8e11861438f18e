// Dotted IPv4 text both ways: what the program writes, and the strict form it accepts.
#include <gtest/gtest.h>

#include "support/Ipv4Text.h"

namespace velmaro {
namespace {

TEST(Ipv4Text, StrictDottedTextOnly) {
  const struct {
    const char16_t* text;
    std::optional<quint32> address;
  } cases[] = {
      {u"198.18.7.2", 0xC6120702u},
      {u"0.0.0.0", 0u},
      {u"255.255.255.255", 0xFFFFFFFFu},
      {u"010.0.0.1", 0x0A000001u},
      {u"256.0.0.1", std::nullopt},
      {u"1.2.3", std::nullopt},
      {u"1.2.3.4.5", std::nullopt},
      {u"1..3.4", std::nullopt},
      {u"1.2.3.4.", std::nullopt},
      {u" 1.2.3.4", std::nullopt},
      {u"1.2.3.a", std::nullopt},
      {u"1.2.3.1000", std::nullopt},
      {u"", std::nullopt},
      {u"-1.2.3.4", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseDottedAddress(QStringView(c.text)), c.address)
        << QString::fromUtf16(c.text).toStdString();
  }
}

TEST(Ipv4Text, WrittenTextReadsBackAsTheSameAddress) {
  for (quint32 address : {0u, 1u, 0x7F000001u, 0xC6120702u, 0xFFFFFFFFu, 0x0A00FF00u}) {
    EXPECT_EQ(ParseDottedAddress(DottedAddress(address)), address)
        << DottedAddress(address).toStdString();
  }
  EXPECT_EQ(DottedAddress(0x0A000001u), QStringLiteral("10.0.0.1"));
}

}  // namespace
}  // namespace velmaro
