// Layout lengths of the window design are twips (1/1440 inch): their conversion to
// pixels on a screen of any logical DPI, so the layout keeps its proportions on HiDPI.
#pragma once

#include <QRect>
#include <QtGlobal>

#include "support/Numbers.h"
#include "support/Tunables.h"

namespace velmaro::ui {

// A rectangle as the design gives it: left, top, width, height in twips.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Screen pixels per 96-dpi pixel: 1 on an ordinary screen, 1.5 at 144 dpi and so on.
inline double ScaleForDpi(double logicalDpi) { return logicalDpi > 0 ? logicalDpi / 96.0 : 1.0; }

// Twips per pixel at a given scale: 15 at 96 dpi, 12 at 120, 10 at 144, 7.5 at 192.
inline double TwipsPerPixel(double scale) { return tunables::kTwipsPerPixel96 / scale; }

// Each length is rounded on its own, halves to the even neighbour, so a rectangle never
// drifts by more than half a pixel from its design place.
inline int TwipsToPixels(int twips, double scale) {
  return static_cast<int>(RoundHalfEven(twips / TwipsPerPixel(scale)));
}

inline int PixelsToTwips(int pixels, double scale) {
  return static_cast<int>(RoundHalfEven(pixels * TwipsPerPixel(scale)));
}

inline QRect TwipsToPixels(const TwipsRect& r, double scale) {
  return QRect(TwipsToPixels(r.left, scale), TwipsToPixels(r.top, scale),
               TwipsToPixels(r.width, scale), TwipsToPixels(r.height, scale));
}

}  // namespace velmaro::ui
