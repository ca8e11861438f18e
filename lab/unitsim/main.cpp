// velmaro-unitsim: one simulated network unit of the lab, run inside a lab host namespace.
#include "HostileIcmp.h"
#include "LabNamespaceCheck.h"
#include "UnitOptions.h"
#include "UnitServer.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <memory>

namespace {

void QuitOnSignal(int) { QCoreApplication::quit(); }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream err(stderr);
  const auto parsed = velmaro::lab::ParseUnitOptions(QCoreApplication::arguments());
  if (const auto* message = std::get_if<QString>(&parsed)) {
    err << "velmaro-unitsim: " << *message << Qt::endl;
    return 2;
  }
  const auto& options = std::get<velmaro::lab::UnitOptions>(parsed);

  // A unit answers whoever asks; away from loopback that is only safe inside the lab.
  if (velmaro::lab::SendsBeyondLoopback(options)) {
    if (const auto refusal = velmaro::lab::LabRefusal(velmaro::lab::ReadNamespaceFacts())) {
      err << "velmaro-unitsim: refusing to run outside a lab namespace: " << *refusal << Qt::endl;
      return 3;
    }
  }

  velmaro::lab::UnitServer server(options);
  QString why;
  if (!server.start(&why)) {
    err << "velmaro-unitsim: " << why << Qt::endl;
    return 1;
  }
  // --- Hostile units (Hostile.h) ---
  std::unique_ptr<velmaro::lab::IcmpNoise> noise;
  if (options.noiseVictim) {
    noise = std::make_unique<velmaro::lab::IcmpNoise>(options.noiseVictim->toIPv4Address(),
                                                      options.noiseStaleMs);
    if (!noise->start(&why)) {
      err << "velmaro-unitsim: " << why << Qt::endl;
      return 1;
    }
  }
  std::signal(SIGTERM, QuitOnSignal);
  std::signal(SIGINT, QuitOnSignal);
  QTimer::singleShot(std::chrono::seconds(options.maxSeconds), &app, &QCoreApplication::quit);
  QTextStream(stdout) << "velmaro-unitsim: " << options.identity.name << " listening (udp "
                      << options.udpPort << ", http " << options.httpPort << ")" << Qt::endl;
  return QCoreApplication::exec();
}
