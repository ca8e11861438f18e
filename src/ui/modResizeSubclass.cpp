#include "ui/modResizeSubclass.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "support/Numbers.h"
#include "support/Tunables.h"

namespace velmaro::ui {
namespace {

std::optional<std::vector<SizeLimitRecord>>& table() {
  static std::optional<std::vector<SizeLimitRecord>> records;
  return records;
}

// The hook a window carries while it has limits: hands every event to MinMaxWindowProc.
class MinMaxHook final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    return MinMaxWindowProc(watched, event);
  }
};

int wholePixels(double value) { return static_cast<int>(RoundHalfEven(value)); }

// The lowest record that holds a live hook of this window. A freed record may still carry
// the same window, and must not take the place of a hook installed after it.
SizeLimitRecord* hookedRecord(const QObject* window) {
  if (!table()) return nullptr;
  for (SizeLimitRecord& record : *table()) {
    if (!record.free() && record.window == window) return &record;
  }
  return nullptr;
}

SizeLimitRecord& freeRecord() {
  auto& records = table();
  if (!records) records.emplace();
  for (SizeLimitRecord& record : *records) {
    if (record.free()) return record;
  }
  return records->emplace_back();
}

// Limits are outer sizes in device pixels; the toolkit sizes the window's inside in its
// own (logical) pixels, so the frame the window system draws comes off first.
void imposeLimits(QWidget& window, const SizeLimitRecord& record) {
  const TrackingSizes tracking = MinMaxTracking(record, ScreenMetricsOf(window));
  const double ratio = window.devicePixelRatioF();
  const QSize frame = window.frameGeometry().size() - window.size();
  const auto inside = [&](QSize outer) {
    return (QSize(wholePixels(outer.width() / ratio), wholePixels(outer.height() / ratio)) - frame)
        .expandedTo(QSize(0, 0));
  };
  const QSize minimum = inside(tracking.minimum);
  const QSize maximum = inside(tracking.maximum).expandedTo(minimum);
  if (window.minimumSize() != minimum) window.setMinimumSize(minimum);
  if (window.maximumSize() != maximum) window.setMaximumSize(maximum);
  // A size the window system imposed from outside is brought back within the limits.
  const QSize bounded = window.size().expandedTo(minimum).boundedTo(maximum);
  if (bounded != window.size()) window.resize(bounded);
}

}  // namespace

ScreenMetrics ScreenMetricsFor(double logicalDpiX, double logicalDpiY, double devicePixelRatio,
                               QSize screenSize) {
  const double ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  const auto perPixel = [&](double dpi) {
    const double deviceDpi = (dpi > 0 ? dpi : 96.0) * ratio;
    return 1440.0 / deviceDpi;
  };
  return {perPixel(logicalDpiX), perPixel(logicalDpiY), wholePixels(screenSize.width() * ratio),
          wholePixels(screenSize.height() * ratio)};
}

ScreenMetrics ScreenMetricsOf(const QWidget& window) {
  const QScreen* screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return {};
  return ScreenMetricsFor(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY(),
                          screen->devicePixelRatio(), screen->geometry().size());
}

const std::vector<SizeLimitRecord>* SizeLimitTable() { return table() ? &*table() : nullptr; }

SizeLimitRecord SizeLimitsInPixels(int minWidth, int minHeight, int maxWidth, int maxHeight,
                                   const ScreenMetrics& screen) {
  const double screenWidthTwips = screen.widthPixels * screen.twipsPerPixelX;
  const double screenHeightTwips = screen.heightPixels * screen.twipsPerPixelY;
  SizeLimitRecord record;
  record.minWidth =
      wholePixels((minWidth ? minWidth : tunables::kDefaultMinWidthTwips) / screen.twipsPerPixelX);
  record.minHeight = wholePixels((minHeight ? minHeight : tunables::kDefaultMinHeightTwips) /
                                 screen.twipsPerPixelY);
  record.maxWidth = wholePixels((maxWidth ? maxWidth : screenWidthTwips) / screen.twipsPerPixelX);
  record.maxHeight =
      wholePixels((maxHeight ? maxHeight : screenHeightTwips) / screen.twipsPerPixelY);
  return record;
}

TrackingSizes MinMaxTracking(const SizeLimitRecord& record, const ScreenMetrics& screen) {
  const QSize minimum(std::max(record.minWidth, tunables::kMinTrackWidth),
                      std::max(record.minHeight, tunables::kMinTrackHeight));
  const QSize maximum(std::min(record.maxWidth, screen.widthPixels),
                      std::min(record.maxHeight, screen.heightPixels));
  // On a screen smaller than the minimum the minimum wins: the window keeps its content
  // whole and the screen shows what fits.
  return {minimum, maximum.expandedTo(minimum)};
}

void SetWindowSizeLimits(QWidget& window, bool enable, int minWidth, int minHeight, int maxWidth,
                         int maxHeight) {
  SetWindowSizeLimits(window, enable, minWidth, minHeight, maxWidth, maxHeight,
                      ScreenMetricsOf(window));
}

void SetWindowSizeLimits(QWidget& window, bool enable, int minWidth, int minHeight, int maxWidth,
                         int maxHeight, const ScreenMetrics& screen) {
  if (enable) {
    SizeLimitRecord& record = freeRecord();
    record = SizeLimitsInPixels(minWidth, minHeight, maxWidth, maxHeight, screen);
    record.window = &window;
    auto* hook = new MinMaxHook(&window);
    record.hook = hook;
    window.installEventFilter(hook);
    imposeLimits(window, record);
    return;
  }
  SizeLimitRecord* record = hookedRecord(&window);
  if (!record) return;
  window.removeEventFilter(record->hook);
  record->hook->deleteLater();
  record->hook.clear();
  // Without its hook the window is as free as it was before.
  window.setMinimumSize(0, 0);
  window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

bool MinMaxWindowProc(QObject* window, QEvent* event) {
  const SizeLimitRecord* found = hookedRecord(window);
  if (!found || !window->isWidgetType()) return false;
  const SizeLimitRecord record = *found;  // the table may grow while the window reacts
  switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:  // the window system's frame is known from the first move on
    case QEvent::Resize:
    case QEvent::ScreenChangeInternal:
      imposeLimits(*static_cast<QWidget*>(window), record);
      break;
    default:
      break;
  }
  return false;
}

}  // namespace velmaro::ui
