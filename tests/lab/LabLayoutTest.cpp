// The lab the script builds and the lab the tests expect (support/LabLayout.h) are one lab:
// every address, MAC, cable and simulated unit agrees. Reads the script's own listing, so it
// needs neither root nor a lab.
#include "support/LabLayout.h"

#include <gtest/gtest.h>
#include <QMap>
#include <QProcess>
#include <QSet>

using namespace Qt::StringLiterals;

namespace velmaro::lab {
namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// One line of `velmaro-lab layout`.
struct ScriptHost {
  QString ip;
  QString mac;  // as the tests write it: "00-0A-2B-01-80-01"
  bool plugged = false;
  QStringList args;

  bool has(const QString& option) const { return args.contains(option); }
  QString arg(const QString& option, const QString& absent = QString()) const {
    const qsizetype at = args.indexOf(option);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : absent;
  }
};

// Keyed by host key plus link: "u1 vlab0", "cli vlab1".
QMap<QString, ScriptHost> ScriptLayout() {
  QProcess process;
  process.start(u"bash"_s, {QStringLiteral(VELMARO_LAB_SCRIPT_PATH), u"layout"_s});
  QMap<QString, ScriptHost> hosts;
  if (!process.waitForFinished(10000) || process.exitCode() != 0) return hosts;
  const QStringList lines = QString::fromLatin1(process.readAllStandardOutput()).split(u'\n');
  for (const QString& line : lines) {
    const QStringList fields = line.split(u'\t');
    if (fields.size() < 5) continue;
    hosts.insert(fields[0] + u' ' + fields[1], {fields[2], fields[3].toUpper().replace(u':', u'-'),
                                                fields[4] == u"yes", fields.mid(5)});
  }
  return hosts;
}

class LabLayoutAgrees : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_script.isEmpty()) << "velmaro-lab layout printed nothing";
  }
  // The host on its lab link; a failed expectation (and an empty host) when the script lacks it.
  ScriptHost host(std::string_view key) {
    const QString name = Q(key) + u' ' + Q(kLinkName);
    m_seen.insert(name);
    EXPECT_TRUE(m_script.contains(name)) << key << " is not in the script's layout";
    return m_script.value(name);
  }

  QMap<QString, ScriptHost> m_script = ScriptLayout();
  QSet<QString> m_seen;
};

TEST_F(LabLayoutAgrees, UnitsAnswerWithTheBytesTestsExpect) {
  std::vector<LabUnit> units(kUnits.begin(), kUnits.end());
  units.insert(units.end(), kSegmentBUnits.begin(), kSegmentBUnits.end());
  for (const LabUnit& unit : units) {
    const ScriptHost sim = host(unit.key);
    EXPECT_EQ(sim.ip, Q(unit.ip)) << unit.key;
    EXPECT_TRUE(sim.ip.endsWith(u'.' + QString::number(unit.octet))) << unit.key;
    EXPECT_EQ(sim.mac, Q(unit.mac)) << unit.key;
    EXPECT_TRUE(sim.plugged) << unit.key;
    EXPECT_EQ(sim.arg(u"--mac"_s), Q(unit.mac)) << unit.key;
    EXPECT_EQ(sim.arg(u"--name"_s), Q(unit.name)) << unit.key;
    EXPECT_EQ(sim.arg(u"--text"_s), Q(unit.freeText)) << unit.key;
    EXPECT_EQ(sim.arg(u"--port-line"_s), Q(unit.portLine)) << unit.key;
    EXPECT_EQ(sim.arg(u"--reply"_s, u"normal"_s) == u"normal", unit.wellFormed) << unit.key;
    EXPECT_EQ(sim.arg(u"--http-port"_s, u"0"_s), QString::number(unit.httpPort)) << unit.key;
    EXPECT_EQ(sim.arg(u"--id-page"_s) == u"meta", unit.idHasMeta) << unit.key;
    EXPECT_EQ(sim.arg(u"--home-title"_s), Q(unit.homeTitle)) << unit.key;
    EXPECT_EQ(sim.arg(u"--home-pages"_s).split(u',').contains(u"index.html"_s), unit.hasIndexHtml)
        << unit.key;
  }
}

TEST_F(LabLayoutAgrees, OtherHostsAnswerNoDiscoveryQuery) {
  struct Other {
    std::string_view key, ip, mac, homeTitle;
    bool plugged;
  };
  std::vector<Other> others;
  for (const LabHost& h : kPlainHosts) others.push_back({h.key, h.ip, h.mac, h.homeTitle, true});
  others.push_back({kSpare.key, kSpare.ip, kSpare.mac, kSpare.homeTitle, false});
  for (const LabWebHost& w : kWebHosts)
    others.push_back({w.key, w.ip, w.mac, {}, true});  // no title
  for (const Other& other : others) {
    const ScriptHost sim = host(other.key);
    EXPECT_EQ(sim.ip, Q(other.ip)) << other.key;
    EXPECT_EQ(sim.mac, Q(other.mac)) << other.key;
    EXPECT_EQ(sim.plugged, other.plugged) << other.key;
    EXPECT_TRUE(sim.args.isEmpty() || sim.arg(u"--udp-port"_s) == u"0") << other.key;
    if (!other.homeTitle.empty()) {
      EXPECT_EQ(sim.arg(u"--home-title"_s), Q(other.homeTitle)) << other.key;
    }
  }
}

TEST_F(LabLayoutAgrees, HostileHostsStartUnpluggedDoingWhatTestsExpect) {
  for (const LabHostileHost& h : kHostileHosts) {
    const ScriptHost sim = host(h.key);
    EXPECT_EQ(sim.ip, Q(h.ip)) << h.key;
    EXPECT_FALSE(sim.plugged) << h.key;
  }
  EXPECT_EQ(host(kFlooder.key).arg(u"--flood-port"_s), QString::number(kFloodCommandPort));
  EXPECT_EQ(host(kNoisy.key).arg(u"--icmp-noise"_s), Q(kSilentIp));
}

TEST_F(LabLayoutAgrees, ClientsAndEveryHostAreKnownToTheTests) {
  EXPECT_EQ(host("cli").ip, Q(kClientIp));
  EXPECT_EQ(host(kSecondClientKey).ip, Q(kSecondClientIp));
  const QString secondCard = u"cli "_s + Q(kSecondLink);
  ASSERT_TRUE(m_script.contains(secondCard));
  EXPECT_EQ(m_script.value(secondCard).ip, Q(kClientIpB));
  m_seen.insert(secondCard);

  // Every host the script plugs in on the first segment answers ping; no other address does.
  QStringList live;
  for (auto it = m_script.cbegin(); it != m_script.cend(); ++it) {
    if (it->plugged && it->ip.startsWith(Q(kSubnetPrefix) + u'.') && it->ip != Q(kClientIp))
      live << it->ip;
  }
  live.sort();
  QStringList expected;
  for (std::string_view ip : kLiveIps) expected << Q(ip);
  expected.sort();
  EXPECT_EQ(live, expected);
  EXPECT_FALSE(live.contains(Q(kSilentIp)));

  // A host only the script knows is one no test expects.
  for (const LabUnit& u : kUnits) host(u.key);
  for (const LabUnit& u : kSegmentBUnits) host(u.key);
  for (const LabHost& h : kPlainHosts) host(h.key);
  for (const LabWebHost& w : kWebHosts) host(w.key);
  for (const LabHostileHost& h : kHostileHosts) host(h.key);
  host(kSpare.key);
  for (const QString& name : m_script.keys())
    EXPECT_TRUE(m_seen.contains(name))
        << name.toStdString() << " is unknown to support/LabLayout.h";
}

}  // namespace
}  // namespace velmaro::lab
