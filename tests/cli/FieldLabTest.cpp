// velmaro-cli's field diagnostics in the lab's client, which has a card on each segment:
// one test per case, each stating the line a technician reads.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>

#include "cli/CliProcess.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"

namespace velmaro::cli {
namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// scan --all-interfaces --format json, by address: each row's object.
std::map<QString, QJsonObject> ScanEveryCard() {
  const CliRun run = RunCli({QStringLiteral("scan"), QStringLiteral("--all-interfaces"),
                             QStringLiteral("--listen"), QStringLiteral("1500"),
                             QStringLiteral("--format"), QStringLiteral("json")});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  std::map<QString, QJsonObject> rows;
  for (const QJsonValue& row : QJsonDocument::fromJson(run.out).array()) {
    rows[row.toObject().value(QStringLiteral("ip")).toString()] = row.toObject();
  }
  return rows;
}

class CliFieldLab : public ::testing::Test {
 protected:
  // Queries go to the limited broadcast address on every card: only ever inside the lab.
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }
};

TEST_F(CliFieldLab, SecondCardItsUnitsAreTaggedWithIt) {
  const auto rows = ScanEveryCard();
  EXPECT_EQ(rows.size(), 7u);  // segment A's four well-formed units and segment B's three
  for (const lab::LabUnit& unit : lab::kUnits) {
    if (unit.wellFormed) {
      EXPECT_EQ(rows.at(Q(unit.ip))[QStringLiteral("interface")].toString(), u"vlab0") << unit.key;
    }
  }
  const QJsonObject b1 = rows.at(Q(lab::kB1.ip));
  EXPECT_EQ(b1[QStringLiteral("interface")].toString(), u"vlab1");
  EXPECT_EQ(b1[QStringLiteral("unreachable")].toString(), u"");
  EXPECT_EQ(b1[QStringLiteral("name")].toString(), u"NV-CAM-3100 Second segment");
}

TEST_F(CliFieldLab, UnitOnAnotherSubnetShowsTheAddressToAdd) {
  EXPECT_EQ(ScanEveryCard().at(Q(lab::kB2.ip))[QStringLiteral("unreachable")].toString(),
            u"198.18.9.27 is outside vlab1's 198.18.8.0/24: add 198.18.9.253/24 to vlab1 (sudo ip "
            u"addr add 198.18.9.253/24 dev vlab1) or give the unit an address in 198.18.8.0/24");
}

TEST_F(CliFieldLab, LinkLocalUnitShowsTheAddressToAdd) {
  EXPECT_EQ(ScanEveryCard().at(Q(lab::kB3.ip))[QStringLiteral("unreachable")].toString(),
            u"169.254.7.28 is a link-local address, outside vlab1's 198.18.8.0/24: add "
            u"169.254.7.253/16 to vlab1 (sudo ip addr add 169.254.7.253/16 dev vlab1) or give the "
            u"unit an address in 198.18.8.0/24");
}

TEST_F(CliFieldLab, WideTableCarriesCardAndReachColumns) {
  const CliRun run =
      RunCli({QStringLiteral("scan"), QStringLiteral("--all-interfaces"), QStringLiteral("--wide"),
              QStringLiteral("--listen"), QStringLiteral("1500")});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QStringList lines = run.text().split(u'\n', Qt::SkipEmptyParts);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.front().contains(QStringLiteral("interface  unreachable")) &&
              lines.front().contains(QStringLiteral("  seen  ")) &&
              lines.front().endsWith(u"  conflict"))
      << lines.front().toStdString();
  const auto b2 = std::find_if(lines.begin(), lines.end(),
                               [](const QString& l) { return l.startsWith(u"198.18.9.27 "); });
  ASSERT_NE(b2, lines.end());
  EXPECT_TRUE(b2->contains(QStringLiteral(" vlab1 ")) &&
              b2->contains(QStringLiteral("address in 198.18.8.0/24  ")) && b2->endsWith(u"query"))
      << b2->toStdString();
}

TEST_F(CliFieldLab, DoctorFindsTheTwoCardClientReady) {
  const CliRun run = RunCli({QStringLiteral("doctor"), QStringLiteral("--probe"),
                             QStringLiteral("--listen"), QStringLiteral("1500")});
  EXPECT_EQ(run.exitCode, 0) << run.text().toStdString();
  EXPECT_EQ(DoctorText(run.text(), QStringLiteral("broadcast-route")),
            u"ok (255.255.255.255 leaves through vlab0 from 198.18.7.2; 1 other cards hear it only "
            u"with --all-interfaces)");
  EXPECT_EQ(DoctorText(run.text(), QStringLiteral("replies")),
            u"ok (vlab0: 5 replies; vlab1: 3 replies)");
  EXPECT_EQ(DoctorText(run.text(), QStringLiteral("icmp")),
            u"ok (unprivileged datagram socket: group 0 lies in ping_group_range 0 2147483647)");
}

}  // namespace
}  // namespace velmaro::cli
