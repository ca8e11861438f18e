#include "form/Doctor.h"

#include <algorithm>

#include "form/InterfaceBroadcast.h"
#include "form/ResultList.h"
#include "identify/VendorFile.h"
#include "platform/Advice.h"
#include "platform/Platform.h"
#include "support/AppPaths.h"
#include "support/Tunables.h"
#include "support/VbError.h"
#include "support/Wait.h"

namespace velmaro {
namespace {

std::optional<platform::SocketFailure> tryReplyPort(platform::Platform& platform) {
  const auto socket = platform.createDatagramSocket();
  if (!socket) {
    const VbError missing = err::objectNotSet();
    return platform::SocketFailure{missing.number, missing.description};
  }
  auto failure = socket->bind(tunables::kReplyPort);
  socket->close();
  return failure;
}

}  // namespace

std::vector<CardProbe> ProbeReplies(FormContext& form, int listenMilliseconds) {
  // A list of its own: the probe's rows are nobody's business.
  ResultList scratch;
  FormContext probeForm{form.controls, form.notice,   scratch,  form.log, form.paths,
                        form.clock,    form.platform, form.arp, form.oui, form.localIP};
  InterfaceBroadcast broadcast(probeForm);
  broadcast.start();
  TimedWait(listenMilliseconds);
  broadcast.stop();
  std::vector<CardProbe> probes = broadcast.cards();
  const auto neighbours = form.platform.neighbours();
  if (neighbours) {
    for (CardProbe& probe : probes) {
      probe.neighbours = int(
          std::count_if(neighbours->begin(), neighbours->end(), [&](const platform::Neighbour& n) {
            return n.complete && n.interfaceName == probe.interfaceName;
          }));
    }
  }
  return probes;
}

std::vector<DoctorLine> RunDoctor(FormContext& form,
                                  const std::optional<std::vector<CardProbe>>& probes) {
  platform::Platform& platform = form.platform;
  const std::vector<platform::NetworkInterface> cards =
      platform.networkInterfaces().value_or(std::vector<platform::NetworkInterface>{});
  const platform::RouteLookup route = platform.routeTo(tunables::kLimitedBroadcast);
  return {
      CheckIcmpPermission(platform.icmpPermission()),
      CheckReplyPort(tryReplyPort(platform)),
      CheckBroadcastRoute(route, cards),
      CheckTunnels(route, cards),
      CheckCardsWithoutIPv4(cards),
      CheckReplies(probes),
      CheckVendorFile(DescribeVendorFile(form.paths)),
      CheckLogFolder(form.paths.writableFolder(), form.paths.writableFolderUsable(),
                     platform::WritableFolderFix()),
  };
}

bool AnyBlocking(const std::vector<DoctorLine>& lines) {
  return std::any_of(lines.begin(), lines.end(), [](const DoctorLine& line) {
    return line.verdict == Verdict::Fix && line.blocking;
  });
}

}  // namespace velmaro
