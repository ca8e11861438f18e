// The window's procedures over a given platform, with fake controls, notice and clock, a
// recording error log and a scratch application folder: what every test of a form-level
// procedure sets up.
#pragma once

#include <QTemporaryDir>

#include "form/FormContext.h"
#include "form/ResultList.h"
#include "identify/ArpTable.h"
#include "identify/Manufacturer.h"
#include "support/AppPaths.h"
#include "support/FakeClock.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/RecordingReporter.h"

namespace velmaro::test {

struct FormHarness {
  explicit FormHarness(platform::Platform& system, QString ownAddress = {})
      : platform(system), localIP(std::move(ownAddress)) {}

  platform::Platform& platform;
  FakeControls controls;
  FakeNotice notice;
  ResultList list;
  RecordingReporter log;
  QTemporaryDir folder;
  AppPaths paths{folder.path(), QString(), QString()};
  FakeClock clock;
  ArpTable arp{log, platform, clock};
  OuiFile oui{log, paths};
  QString localIP;
  FormContext form{controls, notice, list, log, paths, clock, platform, arp, oui, localIP};
};

}  // namespace velmaro::test
