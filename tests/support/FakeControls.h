// The window's controls without a screen: box texts with the window's defaults, check
// boxes, idle flag, status and everything the procedures show, recorded for assertions.
#pragma once

#include <QStringList>
#include <functional>
#include <map>
#include <vector>

#include "form/Controls.h"
#include "support/VbError.h"

namespace velmaro::test {

class FakeControls final : public Controls {
 public:
  FakeControls();

  QString text(TextBox box) const override { return texts.at(box); }
  void setText(TextBox box, const QString& text) override { texts[box] = text; }
  int value(CheckBox box) const override {
    if (onRead) onRead(box);
    return checks.at(box);
  }
  bool idle() const override { return idleFlag; }
  void setIdle(bool idle) override { idleFlag = idle; }
  void setTitle(const QString& t) override { title = t; }
  void showScanningPanel() override { panelVisible = true; }
  void hideScanningPanel() override { panelVisible = false; }
  void setStatus(const QString& text) override { statusHistory.append(text); }
  void setBusyCursor(bool busy) override { busyCursor = busy; }
  bool openUrl(const QString& url) override {
    openedUrls.append(url);
    return browserOpens;
  }
  void setWindowSizeLimits(bool enable) override {
    sizeLimitCalls.push_back(enable);
    if (enable && sizeLimitsFail) throw err::outOfMemory();
  }

  QString status() const { return statusHistory.isEmpty() ? QString() : statusHistory.last(); }

  std::map<TextBox, QString> texts;
  std::map<CheckBox, int> checks;
  bool idleFlag = true;
  QString title = QStringLiteral("Velmaro");
  bool panelVisible = false;
  bool busyCursor = false;
  QStringList statusHistory;
  QStringList openedUrls;
  bool browserOpens = true;
  // Runs whenever a box is read: other events can run at that moment in the window, and a
  // test makes them happen here.
  std::function<void(CheckBox)> onRead;
  std::vector<bool> sizeLimitCalls;  // every install (true) and removal (false)
  bool sizeLimitsFail = false;       // installing fails as memory running out would
};

}  // namespace velmaro::test
