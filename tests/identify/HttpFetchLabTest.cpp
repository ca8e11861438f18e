// HTTP_Download over the lab's virtual LAN: a desktop proxy is not used (loopback never goes
// through one), and a redirect to another unit is the answer, not followed.
#include <gtest/gtest.h>

#include <QNetworkProxy>
#include <QRandomGenerator>

#include "identify/HttpFetch.h"
#include "identify/ProductPages.h"
#include "platform/Platform.h"
#include "support/Clock.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/LoopbackUnit.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

const QString kIdPage = QString::fromUtf16(kProductIdPage);
const QString kIdTitle = QString::fromUtf16(kProductIdTitle);

class HttpFetchLab : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }
  QString get(std::string_view ip, const QString& required, qint32 timeoutMs = 2000) {
    return m_http.HTTP_Download(Q(ip), 80, kIdPage, required, timeoutMs);
  }

  test::RecordingReporter m_log;
  std::unique_ptr<platform::Platform> m_platform = platform::createSystemPlatform();
  QRandomGenerator m_random;
  HttpFetch m_http{m_log, Clock::system(), *m_platform, m_random};
};

TEST_F(HttpFetchLab, DesktopProxyIsNotUsed) {
  test::ScriptedServer proxy(
      "HTTP/1.0 200 OK\r\n\r\n<title>Norvikta Product ID</title>from the proxy");
  QNetworkProxy::setApplicationProxy(
      QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), proxy.port()));
  const QString page = get(lab::kU1.ip, kIdTitle);
  QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  EXPECT_EQ(ReadProductIdPage(page).name, Q(lab::kU1.idName)) << page.toStdString();
  EXPECT_EQ(proxy.connections(), 0);
}

TEST_F(HttpFetchLab, RedirectToAnotherUnitIsNotFollowed) {
  EXPECT_EQ(get(lab::kW8.ip, kIdTitle), u"");
  EXPECT_EQ(ReadPageTitle(get(lab::kW8.ip, {})), u"Moved");
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

}  // namespace
}  // namespace velmaro
