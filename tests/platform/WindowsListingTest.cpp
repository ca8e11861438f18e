// Windows' neighbour listing and adapter list read from hand-made input: pure readers, so
// they are checked here on every system.
#include <gtest/gtest.h>

#include "identify/ArpTable.h"
#include "platform/windows/AdapterRecords.h"
#include "platform/windows/ArpListing.h"
#include "support/FakePlatform.h"
#include "support/Tunables.h"

using namespace Qt::StringLiterals;

namespace velmaro::platform::windows_backend {
namespace {

using test::ipv4;

TEST(WindowsArpListing, KeepsOnlyTheEntriesOfAWholeListing) {
  const QByteArray listing =
      "\r\nInterface: 198.18.7.1 --- 0xb\r\n"
      "  Internet Address      Physical Address      Type\r\n"
      "  198.18.7.21           00-0a-2b-01-80-01     dynamic   \r\n"
      "  198.18.7.255          ff-ff-ff-ff-ff-ff     static    \r\n"
      "\r\nInterface: 10.0.0.5 --- 0x4\r\n"
      "  Internet Address      Physical Address      Type\r\n"
      "  10.0.0.1              00-0a-2b-01-80-02     dynamic   \r\n";
  EXPECT_EQ(convertArpListing(listing),
            QByteArray("  198.18.7.21           00-0a-2b-01-80-01     dynamic\r\n"
                       "  198.18.7.255          ff-ff-ff-ff-ff-ff     static\r\n"
                       "  10.0.0.1              00-0a-2b-01-80-02     dynamic\r\n"));
}

TEST(WindowsArpListing, ReadsEachLineOrLeavesItOut) {
  const struct {
    const char* line;
    const char* mac;  // nullptr: no line comes out
    const char* type;
  } cases[] = {
      {"  198.18.7.21   00-0A-2B-01-80-01   dynamic", "00-0a-2b-01-80-01", "dynamic"},
      {"\t198.18.7.21\t00-0a-2b-01-80-01\tdynamic", "00-0a-2b-01-80-01", "dynamic"},
      // A translated system: the type's word is the user's language.
      {"  198.18.7.21   00-0a-2b-01-80-01   statisch", "00-0a-2b-01-80-01", "static"},
      {"  198.18.7.21   00-0a-2b-01-80-01   dynamisch", "00-0a-2b-01-80-01", "dynamic"},
      {"  198.18.7.21   00-00-00-00-00-00   dynamic", "00-00-00-00-00-00", "invalid"},
      {"  198.18.7.21   00-0a-2b-01-80-01   Invalid", "00-00-00-00-00-00", "invalid"},
      {"Interface: 198.18.7.1 --- 0xb", nullptr, nullptr},
      {"  Internet Address      Physical Address      Type", nullptr, nullptr},
      {"  198.18.7.21   00:0a:2b:01:80:01   dynamic", nullptr, nullptr},
      {"  198.18.7.21   00-0a-2b-01-80   dynamic", nullptr, nullptr},
      {"  198.18.7.21   0g-0a-2b-01-80-01   dynamic", nullptr, nullptr},
      {"  198.18.7.21   00-0a-2b-01-80-011  dynamic", nullptr, nullptr},
      {"  198.18.7.256  00-0a-2b-01-80-01   dynamic", nullptr, nullptr},
      {"  198.18.7.21   00-0a-2b-01-80-01", nullptr, nullptr},
      {"  198.18.7.21   00-0a-2b-01-80-01   dynamic  extra", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    const QByteArray out = convertArpListing(QByteArray(c.line) + "\r\n");
    if (c.mac == nullptr) {
      EXPECT_TRUE(out.isEmpty()) << c.line << " gave " << out.toStdString();
      continue;
    }
    ASSERT_TRUE(out.endsWith("\r\n")) << c.line;
    const QStringList fields = QString::fromLatin1(out.chopped(2)).split(u' ', Qt::SkipEmptyParts);
    EXPECT_EQ(fields, (QStringList{u"198.18.7.21"_s, QLatin1String(c.mac), QLatin1String(c.type)}))
        << c.line;
    // The table's own reader takes exactly the lines written usable.
    EXPECT_EQ(ParseArpLine(QString::fromLatin1(out.chopped(2))).has_value(),
              qstrcmp(c.type, "invalid") != 0)
        << c.line;
  }
}

TEST(WindowsArpListing, LeavesOutLinesLongerThanAnyListingWrites) {
  const QByteArray entry = "  198.18.7.21   00-0a-2b-01-80-01   dynamic";
  const QByteArray padded = entry + QByteArray(tunables::kMaxArpLine, ' ');
  EXPECT_TRUE(convertArpListing(padded + "\r\n").isEmpty());
  EXPECT_FALSE(convertArpListing(entry + "\r\n").isEmpty());
}

TEST(WindowsNeighbourRows, AreWrittenAsTheListingWouldShowThem) {
  const QByteArray mac("\x00\x0a\x2b\x01\x80\x01", 6);
  const struct {
    QByteArray mac;
    NetRowType type;
    const char* line;
  } cases[] = {
      {mac, NetRowType::Dynamic, "  198.18.7.21           00-0a-2b-01-80-01     dynamic\r\n"},
      {mac, NetRowType::Static, "  198.18.7.21           00-0a-2b-01-80-01     static\r\n"},
      {mac, NetRowType::Other, "  198.18.7.21           00-0a-2b-01-80-01     dynamic\r\n"},
      {mac, NetRowType::Invalid, "  198.18.7.21           00-00-00-00-00-00     invalid\r\n"},
      {QByteArray(6, '\0'), NetRowType::Dynamic,
       "  198.18.7.21           00-00-00-00-00-00     invalid\r\n"},
      {QByteArray(), NetRowType::Dynamic,
       "  198.18.7.21           00-00-00-00-00-00     invalid\r\n"},
      {mac + '\x02', NetRowType::Dynamic,
       "  198.18.7.21           00-00-00-00-00-00     invalid\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(listingLine(ipv4("198.18.7.21"), c.mac, int(c.type)), QByteArray(c.line)) << c.line;
    EXPECT_EQ(rowIsComplete(c.mac, int(c.type)), !QByteArray(c.line).contains("invalid")) << c.line;
  }
}

AdapterRecord record(const char16_t* name, const char16_t* description, quint32 ifType,
                     int operStatus, QByteArray mac = QByteArray("\x00\x0a\x2b\x01\x80\x01", 6)) {
  return {QString::fromUtf16(name), QString::fromUtf16(description), 7, ifType, operStatus,
          std::move(mac),           {{ipv4("198.18.7.5"), 24}}};
}

TEST(WindowsAdapters, NameKindAndStateOfEachCard) {
  constexpr int kUp = 1, kDown = 2, kNotPresent = 6;
  const struct {
    AdapterRecord record;
    LinkKind kind;
    const char16_t* tunnelType;
    bool up, running;
  } cases[] = {
      {record(u"Ethernet", u"Intel(R) Ethernet Connection", 6, kUp), LinkKind::Ethernet, u"", true,
       true},
      {record(u"Wi-Fi", u"Intel(R) Wireless-AC 9560", 71, kDown), LinkKind::Ethernet, u"", true,
       false},
      {record(u"Ethernet 2", u"Realtek USB GbE", 6, kNotPresent), LinkKind::Ethernet, u"", false,
       false},
      {record(u"Loopback Pseudo-Interface 1", u"Software Loopback Interface 1", 24, kUp),
       LinkKind::Loopback, u"", true, true},
      // VPN drivers show as Ethernet or as virtual cards: their driver's name tells.
      {record(u"OpenVPN", u"TAP-Windows Adapter V9", 6, kUp), LinkKind::Tunnel, u"tap", true, true},
      {record(u"office", u"WireGuard Tunnel", 53, kUp), LinkKind::Tunnel, u"wireguard", true, true},
      {record(u"Teredo", u"Microsoft Teredo Tunneling Adapter", 131, kUp), LinkKind::Tunnel,
       u"tunnel", true, true},
      {record(u"Dial-up", u"WAN Miniport (PPP)", 23, kUp), LinkKind::Tunnel, u"ppp", true, true},
      {record(u"Firewire", u"1394 Net Adapter", 144, kUp), LinkKind::Other, u"", true, true},
  };
  for (const auto& c : cases) {
    const NetworkInterface card = cardOf(c.record);
    const std::string what = c.record.name.toStdString();
    EXPECT_EQ(card.name, c.record.name);
    EXPECT_EQ(card.kind, c.kind) << what;
    EXPECT_EQ(card.tunnelType, QString::fromUtf16(c.tunnelType)) << what;
    EXPECT_EQ(card.up, c.up) << what;
    EXPECT_EQ(card.running, c.running) << what;
    EXPECT_EQ(card.ipv4, c.record.ipv4) << what;
  }
}

TEST(WindowsAdapters, AdaptersHaveAHardwareAddressAndAreNoLoopback) {
  std::vector<AdapterRecord> records{
      record(u"Loopback Pseudo-Interface 1", u"Software Loopback Interface 1", 24, 1, {}),
      record(u"Ethernet", u"Intel(R) Ethernet Connection", 6, 1),
      record(u"Teredo", u"Microsoft Teredo Tunneling Adapter", 131, 1, {}),
  };
  records[0].ipv4 = {{ipv4("127.0.0.1"), 8}};
  const std::vector<Adapter> adapters = adaptersOf(records);
  ASSERT_EQ(adapters.size(), 1u);
  EXPECT_EQ(adapters[0].name, u"Ethernet"_s);
  EXPECT_EQ(adapters[0].hardwareAddress, QByteArray("\x00\x0a\x2b\x01\x80\x01", 6));
  EXPECT_EQ(adapters[0].ipv4, std::vector<quint32>{ipv4("198.18.7.5")});
  EXPECT_EQ(ipv4AddressesOf(records),
            (std::vector<quint32>{ipv4("127.0.0.1"), ipv4("198.18.7.5"), ipv4("198.18.7.5")}));
}

}  // namespace
}  // namespace velmaro::platform::windows_backend
