// Window size limits: a window hooked here cannot be dragged narrower, wider, lower or
// taller than the limits it was given in twips. The toolkit never asks a window for its
// limits, so the hook is an event filter that imposes them as the window's minimum and
// maximum size whenever the window is shown, moved, resized or changes screen.
#pragma once

#include <QPointer>
#include <QSize>
#include <vector>

class QEvent;
class QObject;
class QWidget;

namespace velmaro::ui {

// What the limits are converted with: the screen's twips per device pixel and its whole
// size in device pixels (panels and docks included: the limit is the screen, not what
// they leave free).
struct ScreenMetrics {
  double twipsPerPixelX = 15;
  double twipsPerPixelY = 15;
  int widthPixels = 0;
  int heightPixels = 0;
};

// A screen of `logicalDpi` whose toolkit draws `devicePixelRatio` device pixels per
// logical one, `screenSize` logical pixels in all.
ScreenMetrics ScreenMetricsFor(double logicalDpiX, double logicalDpiY, double devicePixelRatio,
                               QSize screenSize);
// The screen the window is on (the primary one before it is shown).
ScreenMetrics ScreenMetricsOf(const QWidget& window);

// One hooked window. Limits are outer sizes (frame included) in device pixels.
struct SizeLimitRecord {
  const QObject* window = nullptr;  // kept after the hook is removed, until reused
  QPointer<QObject> hook;           // the installed filter; null when the record is free
  int minWidth = 0;
  int minHeight = 0;
  int maxWidth = 0;
  int maxHeight = 0;

  bool free() const { return hook.isNull(); }
};

// The smallest and largest outer size a window may take.
struct TrackingSizes {
  QSize minimum;
  QSize maximum;
};

// Every hooked window of the run, indexed from 0; null until the first hook is installed.
// Records are never deleted: a removed hook frees its record for the next one.
const std::vector<SizeLimitRecord>* SizeLimitTable();

// Limits in twips, 0 meaning "not given": the record's pixel limits on `screen`.
SizeLimitRecord SizeLimitsInPixels(int minWidth, int minHeight, int maxWidth, int maxHeight,
                                   const ScreenMetrics& screen);

// A record's limits held against the screen: never below 150 x 100 pixels, never beyond
// the screen, and never a maximum below the minimum.
TrackingSizes MinMaxTracking(const SizeLimitRecord& record, const ScreenMetrics& screen);

// With `enable` installs the hook on `window` with these limits (twips, 0 = not given);
// without it removes the window's hook and ignores the limits.
void SetWindowSizeLimits(QWidget& window, bool enable, int minWidth, int minHeight, int maxWidth,
                         int maxHeight);
void SetWindowSizeLimits(QWidget& window, bool enable, int minWidth, int minHeight, int maxWidth,
                         int maxHeight, const ScreenMetrics& screen);

// Sees every event of a hooked window and imposes its limits on the ones that may change
// the window's size or screen. Never swallows an event: the window handles each as usual.
bool MinMaxWindowProc(QObject* window, QEvent* event);

}  // namespace velmaro::ui
