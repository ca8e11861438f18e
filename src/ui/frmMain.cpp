#include "ui/frmMain.h"

#include <qdrawutil.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStylePainter>

#include "form/ControlDefaults.h"
#include "form/MainForm.h"
#include "support/Numbers.h"
#include "support/Tunables.h"
#include "support/Version.h"
#include "ui/Artwork.h"
#include "ui/ResultView.h"
#include "ui/Twips.h"
#include "ui/modResizeSubclass.h"

namespace velmaro {
namespace {

using ui::TwipsRect;

// The window's design, in twips: client area and every control in its container.
constexpr TwipsRect kClientArea{0, 0, 12630, 7335};
constexpr TwipsRect kFraMain0{60, 60, 12495, 1455};
constexpr TwipsRect kXPHolder{60, 180, 12375, 1215};
constexpr TwipsRect kLblDisp1{60, 120, 720, 195};
constexpr TwipsRect kTxtIP0{1140, 60, 435, 285};
constexpr TwipsRect kTxtIP1{1620, 60, 435, 285};
constexpr TwipsRect kTxtIP2{2100, 60, 435, 285};
constexpr TwipsRect kTxtIPScan{2580, 60, 735, 285};
constexpr TwipsRect kChkUpdateOnly{3660, 60, 1815, 195};
constexpr TwipsRect kCmdScanBroadcast{9180, 0, 3135, 555};
constexpr TwipsRect kChkParseARP{3660, 360, 1815, 195};
constexpr TwipsRect kTxtHTTPPort{2580, 420, 735, 285};
constexpr TwipsRect kChkParseNVIDs{3660, 660, 1995, 195};
constexpr TwipsRect kLblDisp2{60, 840, 1020, 195};
constexpr TwipsRect kLblDisp3{60, 480, 330, 195};
constexpr TwipsRect kTxtPingTO{2580, 780, 735, 285};
constexpr TwipsRect kCmdScanPing{9180, 600, 3135, 555};
constexpr TwipsRect kChkParseGenIDs{3660, 960, 1995, 195};
constexpr TwipsRect kLine1{3480, 0, 15, 1200};  // a vertical line: one pixel wide
constexpr TwipsRect kPicScanning{120, 1320, 9825, 1455};
constexpr TwipsRect kImgScanning{2040, 60, 720, 720};
constexpr TwipsRect kLblScanning{1620, 900, 1695, 195};
constexpr TwipsRect kFraMain1{60, 1560, 12535, 5715};
constexpr TwipsRect kLstIPs{120, 240, 12255, 5355};
// Below the lower frame, and below the list inside it.
constexpr int kBottomMarginTwips = 120;

// MS Sans Serif 8.25 pt in its scalable form, the nearest sans of the desktop elsewhere.
// Windows still carries the bitmap original, drawn in a few pixel sizes only: at 125% or
// 150% it would be the wrong size or blurred, so its outline twin with the same metrics
// comes first.
QFont dialogFont(double points, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("MS Sans Serif"),
                    QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Nimbus Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// A frame whose line runs through the middle of its caption, as the design draws it. Styles
// that put the caption above the line would draw that line through the first row of
// inputs, which sit just below the caption.
class CaptionFrame final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    // An etched line, whatever the style would add above its own frames.
    qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true, 1, 0);
    const int gap = metrics.averageCharWidth() / 2;
    const QRect caption(metrics.averageCharWidth(), 0, metrics.horizontalAdvance(title()) + 2 * gap,
                        metrics.height());
    painter.fillRect(caption, palette().window());
    painter.drawItemText(caption, Qt::AlignCenter, palette(), isEnabled(), title(),
                         QPalette::WindowText);
  }
};

double screenScale() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return ui::ScaleForDpi(screen ? screen->logicalDotsPerInchY() : 96.0);
}

}  // namespace

frmMain::frmMain(WindowServices services, QWidget* parent)
    : QWidget(parent),
      m_scale(screenScale()),
      m_openUrl(services.openUrl ? std::move(services.openUrl)
                                 : std::function<bool(const QUrl&)>(&QDesktopServices::openUrl)) {
  m_root =
      std::make_unique<FormRoot>(std::move(static_cast<FormServices&>(services)), *this, *this);
  m_form = &m_root->form();

  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QString::fromLatin1(kAppTitle));
  setWindowIcon(ui::WindowIcon());
  setFont(dialogFont(8.25, false));
  const QRect client = ui::TwipsToPixels(kClientArea, m_scale);
  resize(client.size());

  buildControls();
  buildResultList();
  wire();
  m_txtIP[0]->setFocus();
}

frmMain::~frmMain() {
  // The list view goes before the row model it shows, which the core owns.
  delete m_lstIPs;
  m_lstIPs = nullptr;
  setBusyCursor(false);
}

void frmMain::buildControls() {
  const auto place = [this](QWidget* w, const TwipsRect& r, const char* name) {
    w->setObjectName(QLatin1String(name));
    w->setGeometry(ui::TwipsToPixels(r, m_scale));
  };
  // A label sized to its text: its design place, its text's size.
  const auto autoSize = [this](QLabel* label, const TwipsRect& r, const char* name) {
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->move(ui::TwipsToPixels(r, m_scale).topLeft());
    label->resize(label->sizeHint());
  };
  const auto lineEdit = [&](QWidget* parent, const TwipsRect& r, const char* name, TextBox which) {
    auto* edit = new QLineEdit(DefaultText(which), parent);
    place(edit, r, name);
    if (MaxLength(which) > 0) edit->setMaxLength(MaxLength(which));
    return edit;
  };
  // A check box keeps its design place, and grows only when this desktop's font and
  // indicator need more room: wider to the right, taller about its design middle.
  const auto checkBox = [&](QWidget* parent, const TwipsRect& r, const char* name,
                            const char* caption, CheckBox which, const char* tip) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    place(box, r, name);
    box->setChecked(DefaultValue(which) == 1);
    box->setToolTip(QString::fromLatin1(tip));
    const QSize need = box->sizeHint();
    const int grow = std::max(0, need.height() - box->height());
    box->setGeometry(box->x(), box->y() - grow / 2, std::max(box->width(), need.width()),
                     box->height() + grow);
    return box;
  };
  const auto scanButton = [&](QWidget* parent, const TwipsRect& r, const char* name,
                              const char* caption, const char* tip) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    place(button, r, name);
    button->setFont(dialogFont(17.25, true));
    button->setToolTip(QString::fromLatin1(tip));
    button->setAutoDefault(false);
    return button;
  };

  m_fraMain[0] = new CaptionFrame(QStringLiteral("Network Information"), this);
  place(m_fraMain[0], kFraMain0, "fraMain(0)");
  m_XPHolder = new QWidget(m_fraMain[0]);
  place(m_XPHolder, kXPHolder, "XPHolder");

  // Created in tab order, which is also the order of the focus chain.
  m_lblDisp[0] = new QLabel(QStringLiteral("IP Range:"), m_XPHolder);
  autoSize(m_lblDisp[0], kLblDisp1, "lblDisp(1)");
  m_txtIP[0] = lineEdit(m_XPHolder, kTxtIP0, "txtIP(0)", TextBox::IP0);
  m_txtIP[1] = lineEdit(m_XPHolder, kTxtIP1, "txtIP(1)", TextBox::IP1);
  m_txtIP[2] = lineEdit(m_XPHolder, kTxtIP2, "txtIP(2)", TextBox::IP2);
  m_txtIPScan = lineEdit(m_XPHolder, kTxtIPScan, "txtIPScan", TextBox::IPScan);
  m_chkUpdateOnly = checkBox(m_XPHolder, kChkUpdateOnly, "chkUpdateOnly", "Update Only",
                             CheckBox::UpdateOnly, "Do not clear, update over existing list");
  m_cmdScanBroadcast =
      scanButton(m_XPHolder, kCmdScanBroadcast, "cmdScanBroadcast", "SCAN", "Broadcast a packet");
  m_chkParseARP = checkBox(m_XPHolder, kChkParseARP, "chkParseARP", "Process MACs",
                           CheckBox::ParseARP, "Include MAC address information");
  m_txtHTTPPort = lineEdit(m_XPHolder, kTxtHTTPPort, "txtHTTPPort", TextBox::HTTPPort);
  m_chkParseNVIDs = checkBox(m_XPHolder, kChkParseNVIDs, "chkParseNVIDs", "Read NV unit IDs",
                             CheckBox::ParseNVIDs, "Read ID web resource");
  m_lblDisp[1] = new QLabel(QStringLiteral("Time Out (ms):"), m_XPHolder);
  autoSize(m_lblDisp[1], kLblDisp2, "lblDisp(2)");
  m_lblDisp[2] = new QLabel(QStringLiteral("Port:"), m_XPHolder);
  autoSize(m_lblDisp[2], kLblDisp3, "lblDisp(3)");
  m_txtPingTO = lineEdit(m_XPHolder, kTxtPingTO, "txtPingTO", TextBox::PingTO);
  m_cmdScanPing =
      scanButton(m_XPHolder, kCmdScanPing, "cmdScanPing", "PING", "Ping network (legacy)");
  m_chkParseGenIDs =
      checkBox(m_XPHolder, kChkParseGenIDs, "chkParseGenIDs", "Read generic unit IDs",
               CheckBox::ParseGenIDs, "Read title of the index pages");

  m_Line1 = new QFrame(m_XPHolder);
  place(m_Line1, kLine1, "Line1");
  m_Line1->setFrameShape(QFrame::VLine);
  m_Line1->setFrameShadow(QFrame::Plain);
  m_Line1->setForegroundRole(QPalette::Dark);

  m_picScanning = new QFrame(m_fraMain[0]);
  place(m_picScanning, kPicScanning, "picScanning");
  m_picScanning->setAutoFillBackground(true);
  m_picScanning->setFrameShape(QFrame::NoFrame);
  m_imgScanning = new QLabel(m_picScanning);
  place(m_imgScanning, kImgScanning, "imgScanning");
  QPixmap picture = ui::ScanningPicture(qRound(m_imgScanning->width() * devicePixelRatioF()));
  picture.setDevicePixelRatio(devicePixelRatioF());
  m_imgScanning->setPixmap(picture);
  m_lblScanning = new QLabel(QStringLiteral("Scanning, please wait..."), m_picScanning);
  autoSize(m_lblScanning, kLblScanning, "lblScanning");
  m_lblScanning->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  m_picScanning->hide();

  m_fraMain[1] = new CaptionFrame(QStringLiteral("Located IPs"), this);
  place(m_fraMain[1], kFraMain1, "fraMain(1)");
}

void frmMain::buildResultList() {
  m_lstIPs = new ui::ResultView(m_form->lstIPs(), m_scale, m_fraMain[1]);
  m_lstIPs->setObjectName(QStringLiteral("lstIPs"));
  m_lstIPs->setGeometry(ui::TwipsToPixels(kLstIPs, m_scale));

  m_mnuIPOptions = new QMenu(QStringLiteral("mnuIPOptions"), this);
  m_mnuIPOptions->setObjectName(QStringLiteral("mnuIPOptions"));
  // "&&" is one literal ampersand on screen.
  m_mnuIPRefresh = m_mnuIPOptions->addAction(QStringLiteral("Refresh (w/ NV ID && Gen ID)"));
  m_mnuIPRefresh->setObjectName(QStringLiteral("mnuIPRefresh"));
  m_mnuIPLoadBrowser = m_mnuIPOptions->addAction(QStringLiteral("Load in Browser"));
  m_mnuIPLoadBrowser->setObjectName(QStringLiteral("mnuIPLoadBrowser"));
}

void frmMain::wire() {
  QWidget* chain[] = {m_txtIP[0],      m_txtIP[1],         m_txtIP[2],    m_txtIPScan,
                      m_chkUpdateOnly, m_cmdScanBroadcast, m_chkParseARP, m_txtHTTPPort,
                      m_chkParseNVIDs, m_txtPingTO,        m_cmdScanPing, m_chkParseGenIDs,
                      m_lstIPs};
  for (size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);

  m_txtHTTPPort->installEventFilter(this);

  connect(m_cmdScanBroadcast, &QPushButton::clicked, m_form, &MainForm::cmdScanBroadcast_Click);
  connect(m_cmdScanPing, &QPushButton::clicked, m_form, &MainForm::cmdScanPing_Click);
  connect(m_lstIPs->header(), &QHeaderView::sectionClicked, m_form,
          [this](int logical) { m_form->lstIPs_ColumnClick(logical + 1); });
  connect(m_lstIPs, &ui::ResultView::listDoubleClicked, m_form, &MainForm::lstIPs_DblClick);
  connect(m_lstIPs, &ui::ResultView::buttonDown, this, &frmMain::listButtonDown);
  connect(m_mnuIPRefresh, &QAction::triggered, m_form, &MainForm::mnuIPRefresh_Click);
  connect(m_mnuIPLoadBrowser, &QAction::triggered, m_form, &MainForm::mnuIPLoadBrowser_Click);
}

void frmMain::Form_Load() { m_form->Form_Load(); }

void frmMain::setWindowSizeLimits(bool on) {
  if (on) {
    ui::SetWindowSizeLimits(*this, true, tunables::kFormOuterWidthTwips,
                            tunables::kFormMinOuterHeightTwips, tunables::kFormOuterWidthTwips, 0);
  } else {
    ui::SetWindowSizeLimits(*this, false, 0, 0, 0, 0);
  }
}

void frmMain::Form_Resize() {
  // A minimised window keeps its controls' last sizes for the restore.
  if (isMinimized()) return;
  const auto twips = [this](int pixels) { return ui::PixelsToTwips(pixels, m_scale); };
  const auto pixels = [this](double twipsValue) {
    return ui::TwipsToPixels(static_cast<int>(RoundHalfEven(twipsValue)), m_scale);
  };

  QGroupBox* lower = m_fraMain[1];
  const int lowerHeight = twips(height()) - twips(m_fraMain[0]->y()) -
                          twips(m_fraMain[0]->height()) - kBottomMarginTwips;
  lower->resize(lower->width(), std::max(0, pixels(lowerHeight)));
  const int listHeight = lowerHeight - twips(m_lstIPs->y()) - kBottomMarginTwips;
  m_lstIPs->resize(m_lstIPs->width(), std::max(0, pixels(listHeight)));

  m_picScanning->move(pixels(twips(m_cmdScanPing->x()) / 2.0 - twips(m_picScanning->width()) / 2.0),
                      m_picScanning->y());

  const int title = m_form->lstIPs().GetColumnIndex(u"name");
  m_lstIPs->setColumnWidthTwips(
      title,
      ui::FillingColumnWidthTwips(m_lstIPs->columnWidthsTwips(), title, twips(m_lstIPs->width())));
}

void frmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // Never refused. The window itself stays alive (its owner deletes it after the event
  // loop), so a procedure still on the stack finishes against live widgets.
  m_form->Form_QueryUnload();
  m_mnuIPOptions->hide();
  event->accept();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_txtHTTPPort && event->type() == QEvent::FocusOut) {
    // Only a move to another control of this window checks the port; switching to
    // another program or opening a menu does not.
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      m_form->txtHTTPPort_Validate();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void frmMain::listButtonDown(int buttonValue, QPoint viewportPos) {
  if (m_form->lstIPs_MouseDown(buttonValue, m_lstIPs->rowAt(viewportPos))) {
    m_mnuIPOptions->popup(m_lstIPs->viewport()->mapToGlobal(viewportPos));
  }
}

QLineEdit* frmMain::box(TextBox which) const {
  switch (which) {
    case TextBox::IP0:
      return m_txtIP[0];
    case TextBox::IP1:
      return m_txtIP[1];
    case TextBox::IP2:
      return m_txtIP[2];
    case TextBox::IPScan:
      return m_txtIPScan;
    case TextBox::HTTPPort:
      return m_txtHTTPPort;
    case TextBox::PingTO:
      return m_txtPingTO;
  }
  return m_txtPingTO;
}

QCheckBox* frmMain::check(CheckBox which) const {
  switch (which) {
    case CheckBox::UpdateOnly:
      return m_chkUpdateOnly;
    case CheckBox::ParseARP:
      return m_chkParseARP;
    case CheckBox::ParseNVIDs:
      return m_chkParseNVIDs;
    case CheckBox::ParseGenIDs:
      return m_chkParseGenIDs;
  }
  return m_chkParseGenIDs;
}

QString frmMain::text(TextBox which) const { return box(which)->text(); }

void frmMain::setText(TextBox which, const QString& text) { box(which)->setText(text); }

int frmMain::value(CheckBox which) const { return check(which)->isChecked() ? 1 : 0; }

bool frmMain::idle() const { return m_cmdScanPing->isEnabled(); }

void frmMain::setIdle(bool idle) { m_cmdScanPing->setEnabled(idle); }

void frmMain::setTitle(const QString& title) { setWindowTitle(title); }

void frmMain::showScanningPanel() {
  // As wide as the space left of the scan buttons, as tall as the first frame, over it.
  m_picScanning->setGeometry(0, 0, m_cmdScanPing->x(), m_fraMain[0]->height());
  const int width = m_picScanning->width();
  m_imgScanning->move(width / 2 - m_imgScanning->width() / 2, m_imgScanning->y());
  m_lblScanning->move(width / 2 - m_lblScanning->width() / 2, m_lblScanning->y());
  m_picScanning->show();
  m_picScanning->raise();
}

void frmMain::hideScanningPanel() { m_picScanning->hide(); }

void frmMain::setStatus(const QString& text) {
  // Sized to its text and kept centred where it stands.
  const int centre = m_lblScanning->x() + m_lblScanning->width() / 2;
  m_lblScanning->setText(text);
  m_lblScanning->resize(m_lblScanning->sizeHint());
  m_lblScanning->move(centre - m_lblScanning->width() / 2, m_lblScanning->y());
}

void frmMain::setBusyCursor(bool busy) {
  if (busy == m_busy) return;
  m_busy = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

bool frmMain::openUrl(const QString& url) {
  const QUrl target(url, QUrl::StrictMode);
  if (!target.isValid() || target.scheme().isEmpty()) return false;
  return m_openUrl(target);
}

void frmMain::showInformation(const QString& text) {
  QMessageBox box(QMessageBox::Information, QString::fromLatin1(kAppTitle), text, QMessageBox::Ok,
                  this);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool frmMain::openDocument(const QString& path) {
  if (path.isEmpty()) return false;
  return m_openUrl(QUrl::fromLocalFile(path));
}

}  // namespace velmaro
