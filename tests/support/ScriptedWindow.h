// The window's procedures over a scripted network whose time is the test's clock: echoes
// from a FakeEchoNetwork, SCAN's socket a FakeDatagramSocket the test delivers replies to,
// the boxes set to sweep 10.0.0.1-4 with every check box clear.
#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include "form/MainForm.h"
#include "support/AppPaths.h"
#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/FakeControls.h"
#include "support/FakeDatagramSocket.h"
#include "support/FakeEchoSocket.h"
#include "support/FakeNotice.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"

namespace velmaro::test {

struct ScriptedWindow {
  ScriptedWindow() {
    platform.echoFactory = [this] { return net.open(); };
    platform.datagramFactory = [this] {
      auto created = std::make_unique<FakeDatagramSocket>();
      socket = created.get();
      return created;
    };
    controls.texts[TextBox::IP0] = QStringLiteral("10");
    controls.texts[TextBox::IP1] = QStringLiteral("0");
    controls.texts[TextBox::IP2] = QStringLiteral("0");
    controls.texts[TextBox::IPScan] = QStringLiteral("1-4");
    controls.texts[TextBox::PingTO] = QStringLiteral("1000");
    for (CheckBox box :
         {CheckBox::UpdateOnly, CheckBox::ParseARP, CheckBox::ParseNVIDs, CheckBox::ParseGenIDs})
      controls.checks[box] = 0;
  }
  ~ScriptedWindow() { ResetWaitAbort(); }
  QStringList rows() {
    QStringList out;
    for (int i = 1; i <= form.lstIPs().count(); ++i)
      out << form.lstIPs().text(form.lstIPs().rowAt(i));
    return out;
  }

  QTemporaryDir dir;
  FakeClock clock;
  FakeControls controls;
  FakeNotice notice;
  RecordingReporter log;
  FakePlatform platform;
  FakeEchoNetwork net{&clock};
  FakeDatagramSocket* socket = nullptr;  // SCAN's, once the window made it
  AppPaths paths{dir.path(), dir.path(), dir.path()};
  MainForm form{controls, notice, log, paths, clock, platform};
};

}  // namespace velmaro::test
