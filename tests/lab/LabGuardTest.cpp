// The lab guard decides from the kernel's own listings whether sending is allowed; these cases
// are namespaces it must accept and the many ways a namespace can have a way out.
#include "LabNamespaceCheck.h"
#include "support/LabGuard.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <QFile>

using namespace Qt::StringLiterals;

namespace velmaro::lab {
namespace {

const QByteArray kDevHeader =
    "Inter-|   Receive                                                |  Transmit\n"
    " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs drop "
    "fifo colls carrier compressed\n";

QByteArray Dev(std::initializer_list<const char*> names) {
  QByteArray text = kDevHeader;
  for (const char* name : names)
    text += QByteArray("  ") + name +
            ":     100       1    0    0    0     0          0         0      100       1    0    "
            "0    0     0       0          0\n";
  return text;
}

const QByteArray kRouteHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

// Destination and mask in the kernel's little-endian hex.
QByteArray Route(const char* iface, const char* dest, const char* gateway, const char* mask) {
  return QByteArray(iface) + "\t" + dest + "\t" + gateway + "\t0001\t0\t0\t0\t" + mask +
         "\t0\t0\t0\n";
}

// 198.18.7.0/24 on vlab0 and the limited-broadcast host route, as the client has them.
const QByteArray kLabSubnet = Route("vlab0", "000712C6", "00000000", "00FFFFFF");
const QByteArray kBroadcastHost = Route("vlab0", "FFFFFFFF", "00000000", "FFFFFFFF");

struct GuardCase {
  const char* what;
  QByteArray dev;
  QByteArray route;
  std::optional<bool> sameAsInitial;
  bool accepted;
  const char* reasonMentions;  // part of the refusal text, so a person knows what to fix
};

class LabGuardCases : public ::testing::TestWithParam<GuardCase> {};

TEST_P(LabGuardCases, DecidesFromTheKernelListings) {
  const GuardCase& c = GetParam();
  const auto refusal = LabRefusal({c.dev, c.route, c.sameAsInitial});
  EXPECT_EQ(!refusal.has_value(), c.accepted)
      << c.what << ": " << refusal.value_or(QString()).toStdString();
  if (refusal) {
    EXPECT_TRUE(refusal->contains(QLatin1String(c.reasonMentions))) << refusal->toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Namespaces, LabGuardCases,
    ::testing::Values(
        GuardCase{"client", Dev({"lo", "vlab0"}), kRouteHeader + kLabSubnet + kBroadcastHost,
                  std::nullopt, true, ""},
        GuardCase{"unit host", Dev({"lo", "vlab0"}), kRouteHeader + kLabSubnet, false, true, ""},
        GuardCase{"link down, no routes", Dev({"vlab0", "lo"}), kRouteHeader, std::nullopt, true,
                  ""},
        GuardCase{"client with the second segment", Dev({"lo", "vlab0", "vlab1"}),
                  kRouteHeader + kLabSubnet + kBroadcastHost +
                      Route("vlab1", "000812C6", "00000000", "00FFFFFF"),
                  std::nullopt, true, ""},
        // A unit outside the client's subnet, routed straight back to segment B.
        GuardCase{"unit at a link-local address", Dev({"lo", "vlab0"}),
                  kRouteHeader + Route("vlab0", "0000FEA9", "00000000", "0000FFFF") +
                      Route("vlab0", "000812C6", "00000000", "00FFFFFF"),
                  std::nullopt, true, ""},
        GuardCase{"a third link", Dev({"lo", "vlab0", "vlab2"}), kRouteHeader + kLabSubnet,
                  std::nullopt, false, "vlab2"},
        GuardCase{"host with eth0", Dev({"lo", "eth0"}), kRouteHeader, std::nullopt, false, "eth0"},
        GuardCase{"extra interface", Dev({"lo", "vlab0", "veth1"}), kRouteHeader + kLabSubnet,
                  std::nullopt, false, "veth1"},
        GuardCase{"no lab link", Dev({"lo"}), kRouteHeader, std::nullopt, false, "vlab0"},
        GuardCase{"default route", Dev({"lo", "vlab0"}),
                  kRouteHeader + kLabSubnet + Route("vlab0", "00000000", "010712C6", "00000000"),
                  std::nullopt, false, "default route"},
        GuardCase{"route outside the lab", Dev({"lo", "vlab0"}),
                  kRouteHeader + kLabSubnet + Route("vlab0", "000200C0", "00000000", "00FFFFFF"),
                  std::nullopt, false, "outside"},
        GuardCase{"benchmark prefixes on the lab link", Dev({"lo", "vlab0"}),
                  kRouteHeader + kLabSubnet + Route("vlab0", "000012C6", "00000000", "0000FFFF") +
                      Route("vlab0", "000013C6", "00000000", "00FFFFFF"),
                  std::nullopt, true, ""},
        GuardCase{"route wider than the benchmark block", Dev({"lo", "vlab0"}),
                  kRouteHeader + Route("vlab0", "000010C6", "00000000", "0000FCFF"), std::nullopt,
                  false, "outside"},
        GuardCase{"route next to the benchmark block", Dev({"lo", "vlab0"}),
                  kRouteHeader + Route("vlab0", "000014C6", "00000000", "00FFFFFF"), std::nullopt,
                  false, "outside"},
        GuardCase{"route on lo", Dev({"lo", "vlab0"}),
                  kRouteHeader + Route("lo", "0000007F", "00000000", "000000FF"), std::nullopt,
                  false, "on lo"},
        GuardCase{"host namespace by identity", Dev({"lo", "vlab0"}), kRouteHeader + kLabSubnet,
                  true, false, "host's own"},
        GuardCase{"unreadable listings", QByteArray(), QByteArray(), std::nullopt, false,
                  "cannot read"},
        GuardCase{"unreadable routes", Dev({"lo", "vlab0"}), QByteArray("garbage\n"), std::nullopt,
                  false, "routing table"},
        GuardCase{"bad route field", Dev({"lo", "vlab0"}),
                  kRouteHeader + Route("vlab0", "XYZ", "0", "00FFFFFF"), std::nullopt, false,
                  "unreadable"}),
    [](const ::testing::TestParamInfo<GuardCase>& tested) {
      std::string name = tested.param.what;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(LabGuard, ListsInterfaceNamesWithoutTheHeaderLines) {
  EXPECT_EQ(InterfaceNames(Dev({"lo", "vlab0"})), (QStringList{u"lo"_s, u"vlab0"_s}));
  EXPECT_TRUE(InterfaceNames(kDevHeader).isEmpty());
}

TEST(LabGuard, StopsListingAfterAnAbsurdNumberOfInterfaces) {
  QByteArray many = kDevHeader;
  for (int i = 0; i < 1000; ++i) many += "  if" + QByteArray::number(i) + ": 0 0\n";
  EXPECT_EQ(InterfaceNames(many).size(), 256);
}

// The process that runs unit tests lives in the host's namespace, which has a real LAN link.
TEST(LabGuard, RefusesTheNamespaceTheseTestsRunIn) {
  QFile dev(QStringLiteral("/proc/self/net/dev"));
  ASSERT_TRUE(dev.open(QIODevice::ReadOnly));
  const QStringList names = InterfaceNames(dev.readAll());
  const bool looksLikeLab = names.size() <= 2 && names.contains(QStringLiteral("vlab0"));
  if (looksLikeLab) GTEST_SKIP() << "this unit test is running inside a lab namespace";
  QString why;
  EXPECT_FALSE(InLabNamespace(&why));
  EXPECT_FALSE(why.isEmpty());
}

TEST(LabGuard, RequireLabFailsOutsideTheLab) {
  if (InLabNamespace()) GTEST_SKIP() << "running inside a lab namespace";
  EXPECT_FATAL_FAILURE(RequireLab(), "not inside a lab network namespace");
}

TEST(LabGuard, PingRefusesToSendOutsideTheLab) {
  if (InLabNamespace()) GTEST_SKIP() << "running inside a lab namespace";
  QString why;
  EXPECT_FALSE(LabPing("198.18.7.21", 100, &why).has_value());
  EXPECT_TRUE(why.startsWith(QStringLiteral("refused"))) << why.toStdString();
}

}  // namespace
}  // namespace velmaro::lab
