// A whole PING click over the lab's /24, as the window runs it, split into its phases: the
// address list, the echoes, the settling pause, the neighbour-table load, and per row the
// MAC, the name and the pause between rows. Once with the window's default boxes, once with
// every box off. Refuses to run outside the lab.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <optional>

#include "form/Controls.h"
#include "form/FormRoot.h"
#include "form/ResultList.h"
#include "support/ErrorLog.h"
#include "support/FakePlatform.h"
#include "support/LabGuard.h"
#include "support/UserNotice.h"

namespace {

using velmaro::CheckBox;
using velmaro::TextBox;

constexpr int kRuns = 3;

// Times the procedure's own reads and writes of the window: each marks where a phase begins.
class Timeline {
 public:
  Timeline() { m_clock.start(); }
  void restart() {
    m_marks.clear();
    m_clock.restart();
  }
  double now() const { return static_cast<double>(m_clock.nsecsElapsed()) / 1e6; }
  void mark(const char* what) { m_marks.push_back({now(), what}); }
  const std::vector<std::pair<double, const char*>>& marks() const { return m_marks; }

 private:
  QElapsedTimer m_clock;
  std::vector<std::pair<double, const char*>> m_marks;
};

class BenchControls final : public velmaro::Controls, public velmaro::UserNotice {
 public:
  BenchControls(Timeline& timeline, bool boxesOn) : m_timeline(timeline) {
    m_texts = {{TextBox::IP0, {}},
               {TextBox::IP1, {}},
               {TextBox::IP2, {}},
               {TextBox::IPScan, QStringLiteral("1-254")},
               {TextBox::HTTPPort, QStringLiteral("80")},
               {TextBox::PingTO, QStringLiteral("500")}};
    const int on = boxesOn ? 1 : 0;
    m_checks = {{CheckBox::UpdateOnly, on},
                {CheckBox::ParseARP, on},
                {CheckBox::ParseNVIDs, on},
                {CheckBox::ParseGenIDs, 0}};
  }
  QString text(TextBox box) const override { return m_texts.at(box); }
  void setText(TextBox box, const QString& text) override { m_texts[box] = text; }
  int value(CheckBox box) const override {
    // "Process MACs" is read at the start of the stage and at every row; the page flags
    // when a row's name is read.
    if (box == CheckBox::ParseARP) m_timeline.mark("arp-box");
    if (box == CheckBox::ParseNVIDs) m_timeline.mark("name");
    return m_checks.at(box);
  }
  bool idle() const override { return m_idle; }
  void setIdle(bool idle) override {
    m_idle = idle;
    if (idle) m_timeline.mark("end");
  }
  void setTitle(const QString&) override {}
  void showScanningPanel() override {}
  void hideScanningPanel() override {}
  void setStatus(const QString& text) override {
    if (text.startsWith(u"Pinging ")) m_timeline.mark("ping");
  }
  void setBusyCursor(bool) override {}
  bool openUrl(const QString&) override { return false; }
  void showInformation(const QString& text) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(text));
  }
  bool openDocument(const QString&) override { return false; }

 private:
  Timeline& m_timeline;
  std::map<TextBox, QString> m_texts;
  std::map<CheckBox, int> m_checks;
  bool m_idle = true;
};

// The machine's own facilities that a PING click uses, with the start of the neighbour-table
// capture marked; the others behave as where they are missing, as in the tests.
class MarkingPlatform final : public velmaro::test::FakePlatform {
 public:
  MarkingPlatform(std::unique_ptr<Platform> real, Timeline& timeline)
      : m_real(std::move(real)), m_timeline(timeline) {
    echoFactory = [this] { return m_real->openEchoSocket(); };
    addresses = m_real->ipv4Addresses();
    adapterList = m_real->adapters();
    arp = m_real->arpCommand();
    arpConverter = [this](const QByteArray& listing) { return m_real->convertArpListing(listing); };
  }
  velmaro::CommandLine arpCommand() const override {
    m_timeline.mark("arp-load");
    return FakePlatform::arpCommand();
  }
  // The lab's hosts, not loopback only: main() has checked that it runs inside the lab.
  bool allowsWebRequest(const QString& host) const override {
    return m_real->allowsWebRequest(host);
  }

 private:
  std::unique_ptr<Platform> m_real;
  Timeline& m_timeline;
};

class CountingLog final : public velmaro::ErrorReporter {
 public:
  void LogError(const QString& message) override {
    ++reports;
    std::fprintf(stderr, "report: %s\n", qPrintable(message));
  }
  int reports = 0;
};

struct Phases {
  double addressList = 0, ping = 0, settle = 0, arpLoad = 0, mac = 0, name = 0, rowPause = 0,
         total = 0;
  int rows = 0, named = 0;
};

// Reads the phases off the marks: "ping" starts the echoes; the first "arp-box" after it
// starts the stage; "arp-load" ends the settling pause; each later "arp-box" starts a row,
// whose "name" (the page flags read) ends its MAC part and whose "named" (the row let go)
// ends its name; the rest up to the next row is the pause between rows. A row whose name
// is not read (the host's own) counts its pause with its MAC.
Phases Split(const Timeline& timeline) {
  constexpr double kNone = -1;  // a mark not seen (yet)
  Phases p;
  double stage = kNone, load = kNone, row = kNone, name = kNone, named = kNone;
  auto closeRow = [&](double next) {
    if (row == kNone) return;
    const double macEnd = name != kNone ? name : next;
    p.mac += macEnd - row;
    if (name != kNone && named != kNone) p.name += named - name;
    p.rowPause += next - (named != kNone ? named : macEnd);
    row = name = named = kNone;
  };
  for (const auto& [at, what] : timeline.marks()) {
    const std::string_view kind(what);
    if (kind == "ping") {
      p.addressList = at;
    } else if (kind == "arp-box" && stage == kNone) {
      stage = at;
      p.ping = at - p.addressList;
    } else if (kind == "arp-load") {
      load = at;
    } else if (kind == "arp-box") {
      if (p.rows == 0) {
        p.settle = (load != kNone ? load : at) - stage;
        p.arpLoad = load != kNone ? at - load : 0;
      }
      closeRow(at);
      row = at;
      ++p.rows;
    } else if (kind == "name") {
      name = at;
      ++p.named;
    } else if (kind == "named") {
      named = at;
    } else if (kind == "end") {
      closeRow(at);
      p.total = at;
    }
  }
  return p;
}

Phases RunClick(bool boxesOn) {
  Timeline timeline;
  BenchControls controls(timeline, boxesOn);
  QTemporaryDir dir;
  CountingLog log;
  velmaro::FormServices services;
  services.platform =
      std::make_unique<MarkingPlatform>(velmaro::platform::createSystemPlatform(), timeline);
  services.paths =
      velmaro::AppPaths(dir.path(), dir.path(), QCoreApplication::applicationDirPath());
  services.log = &log;
  velmaro::FormRoot root(std::move(services), controls, controls);
  velmaro::MainForm& form = root.form();
  form.Form_Load();
  QObject::connect(&form.lstIPs(), &velmaro::ResultList::selectionChanged, &form, [&] {
    if (!form.lstIPs().selected()) timeline.mark("named");
  });
  timeline.restart();  // from the click on
  form.cmdScanPing_Click();
  return Split(timeline);
}

void Print(const char* title, const std::vector<Phases>& runs) {
  std::printf("\n%s\n", title);
  std::printf("%-4s %8s %8s %8s %8s %8s %8s %8s %8s %5s %5s\n", "run", "list", "ping", "settle",
              "arp", "mac", "name", "pauses", "total", "rows", "named");
  Phases mean;
  for (size_t i = 0; i < runs.size(); ++i) {
    const Phases& p = runs[i];
    std::printf("%-4zu %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %5d %5d\n", i + 1,
                p.addressList, p.ping, p.settle, p.arpLoad, p.mac, p.name, p.rowPause, p.total,
                p.rows, p.named);
    mean.addressList += p.addressList / runs.size();
    mean.ping += p.ping / runs.size();
    mean.settle += p.settle / runs.size();
    mean.arpLoad += p.arpLoad / runs.size();
    mean.mac += p.mac / runs.size();
    mean.name += p.name / runs.size();
    mean.rowPause += p.rowPause / runs.size();
    mean.total += p.total / runs.size();
  }
  std::printf("%-4s %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f   (ms)\n", "mean",
              mean.addressList, mean.ping, mean.settle, mean.arpLoad, mean.mac, mean.name,
              mean.rowPause, mean.total);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString why;
  if (!velmaro::lab::InLabNamespace(&why)) {
    std::fprintf(stderr,
                 "ping_click: refusing to send: not inside a lab namespace (%s)\n"
                 "run it as: sudo lab/velmaro-lab exec build/bin/ping_click\n",
                 qPrintable(why));
    return 2;
  }
  std::vector<Phases> defaults, off;
  for (int run = 0; run < kRuns; ++run) defaults.push_back(RunClick(true));
  for (int run = 0; run < kRuns; ++run) off.push_back(RunClick(false));
  Print(
      "PING 1-254, time-out 500, the window's default boxes (Update Only, Process MACs, Read NV "
      "unit IDs):",
      defaults);
  Print("PING 1-254, time-out 500, every box off:", off);
  return 0;
}
