// A main window for tests: a fake platform (nothing is ever sent), a log in memory,
// folders in a temporary directory and a recorded URL opener.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "form/MainForm.h"
#include "support/AppPaths.h"
#include "support/Events.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"
#include "ui/ResultView.h"
#include "ui/frmMain.h"

namespace velmaro::test {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWaitAbort();
    WindowServices services;
    services.platform = std::make_unique<FakePlatform>();
    services.paths = AppPaths(dir.path(), dir.path(), dir.path());
    services.log = &log;
    services.openUrl = [this](const QUrl& url) {
      opened.append(url);
      return openSucceeds;
    };
    window = std::make_unique<frmMain>(std::move(services));
  }
  void TearDown() override {
    window.reset();
    ResetWaitAbort();
  }

  template <class W>
  W* child(const char* name) const {
    return window->findChild<W*>(QLatin1String(name));
  }
  ui::ResultView& view() const { return window->resultView(); }
  ResultList& list() const { return window->form().lstIPs(); }

  // A mouse event straight to the list's viewport; `buttons` is every button held after it.
  void mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at) {
    QWidget* target = view().viewport();
    QMouseEvent event(type, at, target->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }
  QPoint rowPoint(int position) const {  // the middle of the first cell of a row, from 1
    return view().visualRect(view().model()->index(position - 1, 0)).center();
  }
  QPoint belowRows() const { return QPoint(20, view().viewport()->height() - 3); }

  RowId addRow(const char* ip, const char* port = "") {
    const RowId row = list().append(QString::fromLatin1(ip));
    list().setCell(row, 1, QString::fromLatin1(port));
    return row;
  }
  QStringList shownColumn(int column) const {
    QStringList out;
    const auto* model = view().model();
    for (int r = 0; r < model->rowCount(); ++r) out << model->index(r, column).data().toString();
    return out;
  }

  QTemporaryDir dir;
  RecordingReporter log;
  QList<QUrl> opened;
  bool openSucceeds = true;
  std::unique_ptr<frmMain> window;
};

}  // namespace velmaro::test
