// The program's entry: the application, the window loaded and shown, the event loop.
#include <QApplication>
#include <cstdio>
#include <memory>

#include "platform/Platform.h"
#include "support/Version.h"
#include "ui/Artwork.h"
#include "ui/frmMain.h"

namespace velmaro {

// Creates the window, runs its load step before the first show and shows it. The toolkit
// draws every control in the desktop's own look, so no theming step is needed here.
std::unique_ptr<frmMain> Main() {
  auto window = std::make_unique<frmMain>();
  window->Form_Load();
  window->show();
  return window;
}

}  // namespace velmaro

int main(int argc, char** argv) {
  // Before anything of the toolkit runs: it reads its environment and loads plugins.
  if (const QString refused = velmaro::platform::dropPrivileges(); !refused.isEmpty()) {
    std::fprintf(stderr, "velmaro: %s\n", refused.toUtf8().constData());
    return 1;
  }
  // The toolkit scales by whole device pixels only; the window turns the rest of the
  // screen's DPI into its own whole-pixel layout, so at 120 or 144 dpi lines, stripes
  // and icons stay sharp instead of being stretched by a fraction.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(velmaro::kAppTitle));
  QApplication::setApplicationVersion(velmaro::versionText());
  QApplication::setWindowIcon(velmaro::ui::WindowIcon());
  // The window lives until the event loop has ended, so no procedure on the stack ever
  // outlives it.
  const std::unique_ptr<velmaro::frmMain> window = velmaro::Main();
  return QApplication::exec();
}
