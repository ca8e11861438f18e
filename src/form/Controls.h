// The window's inputs and outputs as the procedures see them: box texts, check boxes, the
// idle flag, the status panel, the pointer. The window implements it with its widgets;
// tests and the command line front end implement it without a screen.
#pragma once

#include <QString>

namespace velmaro {

enum class TextBox { IP0, IP1, IP2, IPScan, HTTPPort, PingTO };
enum class CheckBox { UpdateOnly, ParseARP, ParseNVIDs, ParseGenIDs };

class Controls {
 public:
  virtual ~Controls() = default;

  virtual QString text(TextBox box) const = 0;
  virtual void setText(TextBox box, const QString& text) = 0;
  // 1 = checked, 0 = unchecked, read afresh at every call.
  virtual int value(CheckBox box) const = 0;

  // The idle flag: the enabled state of the "PING" button.
  virtual bool idle() const = 0;
  virtual void setIdle(bool idle) = 0;

  virtual void setTitle(const QString& title) = 0;
  // The scanning panel: laid out over the inputs and shown, or hidden.
  virtual void showScanningPanel() = 0;
  virtual void hideScanningPanel() = 0;
  // The caption of the status label on the scanning panel.
  virtual void setStatus(const QString& text) = 0;
  virtual void setBusyCursor(bool busy) = 0;

  // Ask the desktop to open an address in the default browser.
  virtual bool openUrl(const QString& url) = 0;

  // The window's size limits, installed by the load step and removed by the close request.
  // A front end without a window has no size to limit.
  virtual void setWindowSizeLimits(bool /*enable*/) {}
};

}  // namespace velmaro
