// The main window: every input of a scan, the two scan buttons, the scanning panel and
// the result list, wired to the window's procedures. It is the procedures' Controls and
// their UserNotice, and owns them.
#pragma once

#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "form/Controls.h"
#include "form/FormRoot.h"
#include "support/UserNotice.h"

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace velmaro {

namespace ui {
class ResultView;
}

// What the window needs from outside; anything left unset is the real thing.
struct WindowServices : FormServices {
  std::function<bool(const QUrl&)> openUrl;  // the desktop's URL handler when unset
};

class frmMain final : public QWidget, public Controls, public UserNotice {
  Q_OBJECT

 public:
  explicit frmMain(WindowServices services = {}, QWidget* parent = nullptr);
  ~frmMain() override;

  MainForm& form() { return m_root->form(); }

  // Runs once, after construction and before the first show.
  void Form_Load();
  // Lays the window out for its height: after every change of its size and when it is
  // first shown.
  void Form_Resize();

  // Controls
  QString text(TextBox box) const override;
  void setText(TextBox box, const QString& text) override;
  int value(CheckBox box) const override;
  bool idle() const override;
  void setIdle(bool idle) override;
  void setTitle(const QString& title) override;
  void showScanningPanel() override;
  void hideScanningPanel() override;
  void setStatus(const QString& text) override;
  void setBusyCursor(bool busy) override;
  bool openUrl(const QString& url) override;
  void setWindowSizeLimits(bool on) override;

  // UserNotice
  void showInformation(const QString& text) override;
  bool openDocument(const QString& path) override;

  // Screen pixels per 96-dpi pixel, fixed when the window was built.
  double scale() const { return m_scale; }
  ui::ResultView& resultView() const { return *m_lstIPs; }
  QMenu& popupMenu() const { return *m_mnuIPOptions; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildResultList();
  void wire();
  QLineEdit* box(TextBox which) const;
  QCheckBox* check(CheckBox which) const;
  void listButtonDown(int buttonValue, QPoint viewportPos);

  double m_scale = 1.0;
  std::function<bool(const QUrl&)> m_openUrl;
  std::unique_ptr<FormRoot> m_root;
  MainForm* m_form = nullptr;
  bool m_busy = false;

  // Widgets, owned by their Qt parents.
  std::array<QGroupBox*, 2> m_fraMain{};
  QWidget* m_XPHolder = nullptr;
  std::array<QLabel*, 3> m_lblDisp{};  // members 1 to 3
  std::array<QLineEdit*, 3> m_txtIP{};
  QLineEdit* m_txtIPScan = nullptr;
  QLineEdit* m_txtHTTPPort = nullptr;
  QLineEdit* m_txtPingTO = nullptr;
  QCheckBox* m_chkUpdateOnly = nullptr;
  QCheckBox* m_chkParseARP = nullptr;
  QCheckBox* m_chkParseNVIDs = nullptr;
  QCheckBox* m_chkParseGenIDs = nullptr;
  QPushButton* m_cmdScanBroadcast = nullptr;
  QPushButton* m_cmdScanPing = nullptr;
  QFrame* m_Line1 = nullptr;
  QFrame* m_picScanning = nullptr;
  QLabel* m_imgScanning = nullptr;
  QLabel* m_lblScanning = nullptr;
  ui::ResultView* m_lstIPs = nullptr;
  QMenu* m_mnuIPOptions = nullptr;
  QAction* m_mnuIPRefresh = nullptr;
  QAction* m_mnuIPLoadBrowser = nullptr;
};

}  // namespace velmaro
