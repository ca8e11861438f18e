// The window's controls: design, defaults, limits, tab order, the port check on leaving
// the box, the Controls the procedures see, the scanning panel and closing.
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCursor>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support/Wait.h"

using namespace Qt::StringLiterals;

namespace velmaro::test {
namespace {

enum class Fit {
  Exact,   // the design rectangle
  ToText,  // design place, sized to its caption
  Grows,   // design place and middle, wider or taller only when the caption needs it
};

struct ControlCase {
  const char* name;
  const char* container;
  QRect pixels;  // at 96 dpi
  Fit fit;
  const char* content;  // caption or text
  int maxLength;        // text boxes: 0 = no limit
  const char* tip;
};

// The design, converted by hand at 15 twips per pixel.
const ControlCase kControls[] = {
    {"fraMain(0)", "frmMain", {4, 4, 833, 97}, Fit::Exact, "Network Information", -1, ""},
    {"XPHolder", "fraMain(0)", {4, 12, 825, 81}, Fit::Exact, nullptr, -1, ""},
    {"lblDisp(1)", "XPHolder", {4, 8, 48, 13}, Fit::ToText, "IP Range:", -1, ""},
    {"txtIP(0)", "XPHolder", {76, 4, 29, 19}, Fit::Exact, "192", 3, ""},
    {"txtIP(1)", "XPHolder", {108, 4, 29, 19}, Fit::Exact, "168", 3, ""},
    {"txtIP(2)", "XPHolder", {140, 4, 29, 19}, Fit::Exact, "0", 3, ""},
    {"txtIPScan", "XPHolder", {172, 4, 49, 19}, Fit::Exact, "1-254", 7, ""},
    {"chkUpdateOnly",
     "XPHolder",
     {244, 4, 121, 13},
     Fit::Grows,
     "Update Only",
     -1,
     "Do not clear, update over existing list"},
    {"cmdScanBroadcast",
     "XPHolder",
     {612, 0, 209, 37},
     Fit::Exact,
     "SCAN",
     -1,
     "Broadcast a packet"},
    {"chkParseARP",
     "XPHolder",
     {244, 24, 121, 13},
     Fit::Grows,
     "Process MACs",
     -1,
     "Include MAC address information"},
    {"txtHTTPPort", "XPHolder", {172, 28, 49, 19}, Fit::Exact, "80", 5, ""},
    {"chkParseNVIDs",
     "XPHolder",
     {244, 44, 133, 13},
     Fit::Grows,
     "Read NV unit IDs",
     -1,
     "Read ID web resource"},
    {"lblDisp(2)", "XPHolder", {4, 56, 68, 13}, Fit::ToText, "Time Out (ms):", -1, ""},
    {"lblDisp(3)", "XPHolder", {4, 32, 22, 13}, Fit::ToText, "Port:", -1, ""},
    {"txtPingTO", "XPHolder", {172, 52, 49, 19}, Fit::Exact, "500", 0, ""},
    {"cmdScanPing",
     "XPHolder",
     {612, 40, 209, 37},
     Fit::Exact,
     "PING",
     -1,
     "Ping network (legacy)"},
    {"chkParseGenIDs",
     "XPHolder",
     {244, 64, 133, 13},
     Fit::Grows,
     "Read generic unit IDs",
     -1,
     "Read title of the index pages"},
    {"Line1", "XPHolder", {232, 0, 1, 80}, Fit::Exact, nullptr, -1, ""},
    {"picScanning", "fraMain(0)", {8, 88, 655, 97}, Fit::Exact, nullptr, -1, ""},
    {"imgScanning", "picScanning", {136, 4, 48, 48}, Fit::Exact, nullptr, -1, ""},
    {"lblScanning",
     "picScanning",
     {108, 60, 113, 13},
     Fit::ToText,
     "Scanning, please wait...",
     -1,
     ""},
    {"fraMain(1)", "frmMain", {4, 104, 836, 381}, Fit::Exact, "Located IPs", -1, ""},
    {"lstIPs", "fraMain(1)", {8, 16, 817, 357}, Fit::Exact, nullptr, -1, ""},
};

QString contentOf(const QWidget* w) {
  if (const auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
  if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
  if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  if (const auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  return {};
}

TEST_F(WindowTest, EveryControlHasItsDesignPlaceContentLimitAndTip) {
  ASSERT_DOUBLE_EQ(window->scale(), 1.0) << "the table is in 96-dpi pixels";
  EXPECT_EQ(window->size(), QSize(842, 489));
  for (const ControlCase& c : kControls) {
    SCOPED_TRACE(c.name);
    const auto* w = child<QWidget>(c.name);
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w->parentWidget(), nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QLatin1String(c.container));
    const QRect g = w->geometry();
    switch (c.fit) {
      case Fit::Exact:
        EXPECT_EQ(g, c.pixels);
        break;
      case Fit::ToText:
        EXPECT_EQ(g.topLeft(), c.pixels.topLeft());
        EXPECT_GE(g.width(), w->fontMetrics().horizontalAdvance(contentOf(w)));
        EXPECT_GE(g.height(), w->fontMetrics().height());
        break;
      case Fit::Grows:
        EXPECT_EQ(g.left(), c.pixels.left());
        EXPECT_GE(g.width(), c.pixels.width());
        EXPECT_GE(g.height(), c.pixels.height());
        EXPECT_LE(std::abs(g.center().y() - c.pixels.center().y()), 1);
        EXPECT_GE(g.width(), w->sizeHint().width());  // the caption is never cut
        break;
    }
    if (c.content) {
      EXPECT_EQ(contentOf(w), QLatin1String(c.content));
    }
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) {
      if (c.maxLength > 0) {
        EXPECT_EQ(e->maxLength(), c.maxLength);
      } else {
        EXPECT_EQ(e->maxLength(), 32767);  // the widest a box goes
      }
    }
    EXPECT_EQ(w->toolTip(), QLatin1String(c.tip));
  }
}

TEST_F(WindowTest, CheckBoxesStartAsDesignedAndReadAsOneOrZero) {
  const struct {
    CheckBox box;
    const char* name;
    int initial;
  } cases[] = {{CheckBox::UpdateOnly, "chkUpdateOnly", 1},
               {CheckBox::ParseARP, "chkParseARP", 1},
               {CheckBox::ParseNVIDs, "chkParseNVIDs", 1},
               {CheckBox::ParseGenIDs, "chkParseGenIDs", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* box = child<QCheckBox>(c.name);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(window->value(c.box), c.initial);
    box->setChecked(c.initial == 0);
    EXPECT_EQ(window->value(c.box), c.initial == 0 ? 1 : 0);
  }
}

TEST_F(WindowTest, ProceduresReachEachTextBoxByItsName) {
  const struct {
    TextBox box;
    const char* name;
  } cases[] = {{TextBox::IP0, "txtIP(0)"},         {TextBox::IP1, "txtIP(1)"},
               {TextBox::IP2, "txtIP(2)"},         {TextBox::IPScan, "txtIPScan"},
               {TextBox::HTTPPort, "txtHTTPPort"}, {TextBox::PingTO, "txtPingTO"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString marker = QStringLiteral("7") + QLatin1String(c.name).left(1);
    window->setText(c.box, marker);
    EXPECT_EQ(child<QLineEdit>(c.name)->text(), marker);
    child<QLineEdit>(c.name)->setText(QStringLiteral("9"));
    EXPECT_EQ(window->text(c.box), u"9");
  }
}

TEST_F(WindowTest, TabOrderFollowsTheDesign) {
  const QStringList expected{u"txtIP(0)"_s,    u"txtIP(1)"_s,      u"txtIP(2)"_s,
                             u"txtIPScan"_s,   u"chkUpdateOnly"_s, u"cmdScanBroadcast"_s,
                             u"chkParseARP"_s, u"txtHTTPPort"_s,   u"chkParseNVIDs"_s,
                             u"txtPingTO"_s,   u"cmdScanPing"_s,   u"chkParseGenIDs"_s,
                             u"lstIPs"_s};
  QStringList chain;
  QWidget* start = child<QWidget>("txtIP(0)");
  QWidget* w = start;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window.get()) &&
        !w->objectName().isEmpty()) {
      chain << w->objectName();
    }
    w = w->nextInFocusChain();
  } while (w != start && chain.size() < 40);
  EXPECT_EQ(chain, expected);
}

TEST_F(WindowTest, FontsFollowTheDesign) {
  const auto* ping = child<QPushButton>("cmdScanPing");
  const auto* scan = child<QPushButton>("cmdScanBroadcast");
  for (const auto* button : {ping, scan}) {
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 17.25);
    EXPECT_TRUE(button->font().bold());
  }
  EXPECT_DOUBLE_EQ(child<QLineEdit>("txtIPScan")->font().pointSizeF(), 8.25);
  EXPECT_FALSE(child<QLineEdit>("txtIPScan")->font().bold());
  EXPECT_DOUBLE_EQ(view().font().pointSizeF(), 9);
  EXPECT_EQ(view().font().families().value(0), u"Verdana");
}

TEST_F(WindowTest, TitleIsTheProgramNameUntilLoadAddsTheVersion) {
  EXPECT_EQ(window->windowTitle(), u"Velmaro");
  window->Form_Load();
  EXPECT_EQ(window->windowTitle(), u"Velmaro v1.1.8");
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
  EXPECT_FALSE(window->windowIcon().isNull());
}

class PortBoxTest : public WindowTest,
                    public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(PortBoxTest, LeavingThePortBoxCorrectsIt) {
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  auto* port = child<QLineEdit>("txtHTTPPort");
  port->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(port->hasFocus());
  port->setText(QString::fromLatin1(GetParam().first));
  // Still in the box: nothing is checked yet.
  EXPECT_EQ(port->text(), QString::fromLatin1(GetParam().first));
  child<QLineEdit>("txtPingTO")->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(port->text(), QString::fromLatin1(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(Rules, PortBoxTest,
                         ::testing::Values(std::pair{"abc", "80"}, std::pair{"99999", "65535"},
                                           std::pair{"0", "1"}, std::pair{"00", "1"},
                                           std::pair{"8080", "8080"}, std::pair{" 81 ", " 81 "},
                                           std::pair{"-8", "1"}, std::pair{"0.4", "1"}));

TEST_F(WindowTest, SwitchingToAnotherProgramDoesNotCheckThePort) {
  auto* port = child<QLineEdit>("txtHTTPPort");
  port->setText(QStringLiteral("abc"));
  QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(port, &away);
  EXPECT_EQ(port->text(), u"abc");
  QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(port, &tab);
  EXPECT_EQ(port->text(), u"80");
}

TEST_F(WindowTest, TypingStopsAtTheBoxLimitAndTakesAnyCharacter) {
  window->show();
  const struct {
    const char* name;
    const char* typed;
    const char* kept;
  } cases[] = {{"txtIP(0)", "<b>1&2", "<b>"},
               {"txtIPScan", "1-254-99", "1-254-9"},
               {"txtHTTPPort", "%s%n%x\"'", "%s%n%"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto* box = child<QLineEdit>(c.name);
    box->clear();
    QTest::keyClicks(box, QString::fromLatin1(c.typed));
    EXPECT_EQ(box->text(), QString::fromLatin1(c.kept));
  }
  auto* timeout = child<QLineEdit>("txtPingTO");
  timeout->clear();
  const QString longText(300, u'9');
  QTest::keyClicks(timeout, longText);
  EXPECT_EQ(timeout->text(), longText);
}

TEST_F(WindowTest, IdleFlagIsThePingButtonsEnabledState) {
  auto* ping = child<QPushButton>("cmdScanPing");
  EXPECT_TRUE(window->idle());
  window->setIdle(false);
  EXPECT_FALSE(ping->isEnabled());
  EXPECT_FALSE(window->idle());
  EXPECT_TRUE(child<QPushButton>("cmdScanBroadcast")->isEnabled());  // "SCAN" stays usable
  ping->setEnabled(true);
  EXPECT_TRUE(window->idle());
}

TEST_F(WindowTest, ScanningPanelCoversTheInputsLeftOfTheButtonsWithItsPartsCentred) {
  window->show();
  auto* panel = child<QWidget>("picScanning");
  auto* picture = child<QWidget>("imgScanning");
  auto* label = child<QLabel>("lblScanning");
  EXPECT_FALSE(panel->isVisible());
  window->showScanningPanel();
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->geometry(), QRect(0, 0, 612, 97));
  EXPECT_EQ(picture->geometry(), QRect(306 - 24, 4, 48, 48));
  EXPECT_LE(std::abs(label->geometry().center().x() - 306), 1);
  EXPECT_EQ(label->y(), 60);
  // The panel is drawn over the inputs, not under them.
  const QPoint overInputs = panel->mapTo(window.get(), QPoint(100, 30));
  EXPECT_EQ(window->childAt(overInputs), panel);
  window->hideScanningPanel();
  EXPECT_FALSE(panel->isVisible());
}

TEST_F(WindowTest, StatusTextIsShownAsTypedCentredAndNeverAsMarkup) {
  window->showScanningPanel();
  auto* label = child<QLabel>("lblScanning");
  const QString status =
      QStringLiteral("<b>Reading</b> 10.0.0.7 & more, a much longer status line");
  window->setStatus(status);
  EXPECT_EQ(label->text(), status);
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(status));
  EXPECT_LE(std::abs(label->geometry().center().x() - 306), 1);
}

TEST_F(WindowTest, BusyPointerIsBalanced) {
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  window->setBusyCursor(true);
  window->setBusyCursor(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  window->setBusyCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  window->setBusyCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // A window that goes while busy gives the pointer back.
  window->setBusyCursor(true);
  window.reset();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, OpeningAddressesGoesToTheDesktopAndAFailureIsFalse) {
  EXPECT_TRUE(window->openUrl(QStringLiteral("http://10.0.0.7:8080")));
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0], QUrl(QStringLiteral("http://10.0.0.7:8080")));
  EXPECT_FALSE(window->openUrl(QStringLiteral("http://[10.0.0.7")));
  EXPECT_FALSE(window->openUrl(QString()));
  EXPECT_EQ(opened.size(), 1);
  openSucceeds = false;
  EXPECT_FALSE(window->openUrl(QStringLiteral("http://10.0.0.8")));
  EXPECT_FALSE(window->openDocument(dir.filePath(QStringLiteral("ErrorLog.txt"))));
  EXPECT_EQ(opened.last(), QUrl::fromLocalFile(dir.filePath(QStringLiteral("ErrorLog.txt"))));
}

TEST_F(WindowTest, ClosingEndsAWaitInProgressAndKeepsTheWindowUsable) {
  window->show();
  bool ranToTheEnd = false;
  QTimer::singleShot(20, window.get(), [this] { window->close(); });
  QTimer::singleShot(4000, window.get(), [&] { ranToTheEnd = true; });
  TimedWait(8000);
  EXPECT_TRUE(WaitsAborted());
  EXPECT_FALSE(ranToTheEnd);
  EXPECT_FALSE(window->isVisible());
  // The procedure that was waiting finishes against live controls.
  window->setStatus(QStringLiteral("done"));
  window->setIdle(true);
  window->hideScanningPanel();
  EXPECT_EQ(window->text(TextBox::HTTPPort), u"80");
}

TEST_F(WindowTest, ClosingWithThePopupMenuOpenClosesTheMenu) {
  window->show();
  list().append(QStringLiteral("10.0.0.1"));
  mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, rowPoint(1));
  ASSERT_TRUE(window->popupMenu().isVisible());
  window->close();
  EXPECT_FALSE(window->popupMenu().isVisible());
  EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace velmaro::test
