#include "netinfo/LocalIPs.h"

#include <QtEndian>
#include <algorithm>

#include "platform/Platform.h"
#include "support/Ipv4Text.h"

namespace velmaro {
namespace {

// The address table the program was built around holds at most this many rows in its
// fixed query buffer; a host with more addresses makes the query fail.
constexpr std::size_t kMaxTableRows = 21;

// The table sorts its rows by the address as it lies in memory (the bytes in dotted order)
// read as a little-endian 32-bit number, not by the dotted text: 127.0.0.1 (key 0x0100007F)
// comes before 10.20.30.40 (key 0x281E140A), and 10.0.0.1 (0x0100000A) before 127.0.0.1.
// Callers rely on that order, so it is kept exactly. In host byte order the key is the
// byte-swapped address.
quint32 tableOrderKey(quint32 hostOrder) { return qbswap(hostOrder); }

bool isLoopback(const QString& address) { return address.section(u'.', 0, 0) == u"127"; }

}  // namespace

QStringList GetLocalIPs(platform::Platform& platform) {
  const auto addresses = platform.ipv4Addresses();
  if (!addresses) return {};
  return OrderLocalAddresses(*addresses);
}

QStringList OrderLocalAddresses(std::vector<quint32> addresses) {
  if (addresses.empty() || addresses.size() > kMaxTableRows) return {};
  std::stable_sort(addresses.begin(), addresses.end(),
                   [](quint32 a, quint32 b) { return tableOrderKey(a) < tableOrderKey(b); });
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(addresses.size()));
  for (quint32 a : addresses) texts.append(DottedAddress(a));
  return texts;
}

std::optional<NetworkPrefix> ChooseNetworkPrefix(const QStringList& addresses) {
  if (addresses.size() < 2) return std::nullopt;
  // The table's second row was taken as the host's own address, but in the table's order
  // a LAN address such as 10.0.0.1 sorts before the loopback, and then the loopback would
  // preset the prefix and be named LOCALHOST. Take the first address that is not a
  // loopback one; only a host with nothing but loopback addresses falls back to row two.
  const auto own = std::find_if(addresses.cbegin(), addresses.cend(),
                                [](const QString& a) { return !isLoopback(a); });
  NetworkPrefix prefix;
  prefix.localIP = own != addresses.cend() ? *own : addresses.at(1);
  const QStringList parts = prefix.localIP.split(u'.');
  for (qsizetype i = 0; i < 3 && i < parts.size(); ++i) {
    prefix.octets[static_cast<std::size_t>(i)] = parts.at(i);
  }
  return prefix;
}

}  // namespace velmaro
