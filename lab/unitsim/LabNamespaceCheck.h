// Decides whether the current network namespace is a lab namespace, the only place
// where lab programs may send anything that leaves loopback.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace velmaro::lab {

// The interface every lab host has besides loopback, and every link a lab host may have:
// the client has a second one on the lab's second segment.
inline constexpr char kLabLinkName[] = "vlab0";
inline constexpr const char* kLabLinkNames[] = {"vlab0", "vlab1"};

// What the kernel says about the namespace, as raw text, so the decision can be tested alone.
struct NamespaceFacts {
  QByteArray netDev;    // /proc/self/net/dev
  QByteArray netRoute;  // /proc/self/net/route
  // True when this is the namespace of process 1 (the host's); empty when that cannot be read.
  std::optional<bool> sameAsInitial;
};

// The interface names listed by /proc/net/dev text (bounded: at most 256 names).
QStringList InterfaceNames(const QByteArray& netDev);

// Empty when the facts describe a lab namespace: no interface but "lo" and the lab's links,
// no default route, every route on a lab link and inside the lab's subnets, and not the
// host's own namespace.
// Otherwise the reason for refusing, in words a person can act on.
std::optional<QString> LabRefusal(const NamespaceFacts& facts);

// Reads the facts of the namespace the calling thread is in (each file at most 64 KiB).
NamespaceFacts ReadNamespaceFacts();

}  // namespace velmaro::lab
