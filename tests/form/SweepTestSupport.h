// A window's worth of sweep context without a screen: fake controls, notice, platform and
// a scripted echo network, with the sweep under test on top.
#pragma once

#include <QHostAddress>
#include <QStringList>

#include "form/PingSweep.h"
#include "form/ResultList.h"
#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/FakeControls.h"
#include "support/FakeEchoSocket.h"
#include "support/FakeNotice.h"
#include "support/FakePlatform.h"
#include "support/FormHarness.h"
#include "support/RecordingReporter.h"

namespace velmaro::test {

struct SweepRig {
  SweepRig() {
    platform.echoFactory = [this] { return net.open(); };
    controls.texts[TextBox::PingTO] = QStringLiteral("100");  // 200 ms per request
  }
  ~SweepRig() { ResetWaitAbort(); }

  void answerAll(const char* prefix, int delayMs = 1) {
    for (int last = 0; last <= 255; ++last) {
      net.answer(ipv4((QByteArray(prefix) + '.' + QByteArray::number(last)).constData()), delayMs);
    }
  }
  QStringList sentTexts() const {
    QStringList out;
    for (quint32 a : net.sent) out.append(QHostAddress(a).toString());
    return out;
  }
  std::optional<RowId> row(const char* address) const {
    return list.findByText(QString::fromLatin1(address));
  }
  QString cell(RowId r, const char* key) const {
    return list.cell(r, list.GetColumnIndex(QString::fromLatin1(key)));
  }
  RowId addRow(const char* address, const char* name, const char* ping) {
    const RowId r = list.append(QString::fromLatin1(address));
    list.setTag(r, QString::fromLatin1(address));
    list.setCell(r, list.GetColumnIndex(u"name"), QString::fromLatin1(name));
    list.setCell(r, list.GetColumnIndex(u"ping"), QString::fromLatin1(ping));
    return r;
  }

  FakePlatform platform;
  FormHarness harness{platform};
  FakeControls& controls = harness.controls;
  FakeNotice& notice = harness.notice;
  ResultList& list = harness.list;
  RecordingReporter& log = harness.log;
  FakeClock& clock = harness.clock;  // time-outs and replies pass on it, in no real time
  QString& localIP = harness.localIP;
  FormContext& form = harness.form;
  FakeEchoNetwork net{&clock};  // outlives the engine the sweep keeps
  PingSweep sweep{form};
};

}  // namespace velmaro::test
