// The real window, offscreen, inside the lab: the machine's own platform, folders in a
// temporary directory with the vendor file shipped beside the test programs as the install's
// copy, and a log in memory. Loaded and shown, as a technician finds it.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "support/RecordingReporter.h"
#include "ui/frmMain.h"

namespace velmaro::test {

struct LabWindow {
  LabWindow() {
    WindowServices services;
    services.paths = AppPaths(dir.path(), dir.path(), QCoreApplication::applicationDirPath());
    services.log = &log;
    window = std::make_unique<frmMain>(std::move(services));
    window->Form_Load();
    window->show();
  }

  QTemporaryDir dir;
  RecordingReporter log;
  std::unique_ptr<frmMain> window;
};

// Lets events run until `done` holds or the time is up; the waits that matter are bounded.
inline bool RunUntil(const std::function<bool()>& done, int limitMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < limitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

}  // namespace velmaro::test
