// One run of a command over the window's procedures: the controls fed from the options,
// the notices held until the end, the procedures built through the composition root, and
// the list printed (or the reason the run failed) when it is over.
#pragma once

#include <QStringList>
#include <map>
#include <memory>
#include <variant>

#include "cli/Options.h"
#include "form/Controls.h"
#include "form/FormRoot.h"
#include "form/ScanOutcome.h"
#include "support/UserNotice.h"

namespace velmaro {
class InterfaceBroadcast;
}

namespace velmaro::cli {

// The exit statuses a script can rely on; --help, the README and the man page list them.
enum ExitStatus : int {
  kExitCompleted = 0,
  kExitNetworkUnusable = 1,
  kExitDifferent = 1,  // diff: the files differ (0 the same, 2 trouble), as diff(1)
  kExitUsage = 2,
  kExitVendorFile = 3,  // vendors: no vendor file found, or an import refused or not written
};

// The window's controls without a screen: box texts and check boxes as the options set
// them, the status label's texts written to standard error when a person is watching.
class OptionControls final : public Controls, public UserNotice {
 public:
  explicit OptionControls(const Options& options);

  // Controls
  QString text(TextBox box) const override;
  void setText(TextBox box, const QString& text) override { m_texts[box] = text; }
  int value(CheckBox box) const override;
  bool idle() const override { return m_idle; }
  void setIdle(bool idle) override { m_idle = idle; }
  void setTitle(const QString&) override {}
  void showScanningPanel() override {}
  void hideScanningPanel() override {}
  void setStatus(const QString& text) override;
  void setBusyCursor(bool) override {}
  bool openUrl(const QString&) override { return false; }  // no browser on a command line

  // UserNotice: boxes are held and shown as lines on standard error at the end.
  void showInformation(const QString& text) override { m_notices.append(text); }
  bool openDocument(const QString&) override { return false; }

  const QStringList& notices() const { return m_notices; }

 private:
  std::map<TextBox, QString> m_texts;
  std::map<CheckBox, int> m_checks;
  bool m_idle = true;
  bool m_progress = false;
  QStringList m_notices;
};

class Session {
 public:
  explicit Session(const Options& options);
  ~Session();

  // The window's load step, then the options' box texts over its preset and the port
  // box's own check, as a user typing them and leaving the box.
  void load();

  MainForm& form() { return m_root->form(); }
  FormRoot& root() { return *m_root; }

  // Prints the list on standard output when the run completed, with a line on standard
  // error for each address two hosts claim, otherwise the reason on standard error; the
  // exit status. `everyCard`: the scan on every card whose rows these
  // are, so each names its card.
  int finish(ScanOutcome outcome, const InterfaceBroadcast* everyCard = nullptr);

 private:
  const Options& m_options;
  OptionControls m_controls;
  std::unique_ptr<FormRoot> m_root;
};

// Rows or why there are none, as the readers of results and logs give them.
using ReadRows = std::variant<std::vector<RowRecord>, QString>;

// The rows of a file a command reads (a pipe too), through `parse`, which gets at most one
// byte past the result size limit so that it tells a file that is too large from one that
// just fits; or why the file cannot be read.
ReadRows ReadRowsFile(const QString& path, ReadRows (*parse)(QByteArrayView bytes));

// A line on standard output or standard error, UTF-8.
void PrintOut(const QString& text);
void PrintError(const QString& line);

// The line PrintError writes: the program's name, then the text in printable form, since
// messages and progress quote rows, files and replies from outside.
QString ErrorLine(const QString& text);

}  // namespace velmaro::cli
