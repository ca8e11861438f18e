#include "support/FakePlatform.h"

#include <QHostAddress>

namespace velmaro::test {

platform::EchoOpenResult FakePlatform::openEchoSocket() {
  if (echoFactory) return echoFactory();
  platform::EchoOpenResult none;
  none.permissionDenied = true;
  none.error = QStringLiteral("no echo socket in this test");
  return none;
}

std::unique_ptr<platform::DatagramSocket> FakePlatform::createDatagramSocket() {
  return datagramFactory ? datagramFactory() : nullptr;
}

std::unique_ptr<platform::DatagramSocket> FakePlatform::createInterfaceSocket(const QString& name) {
  return interfaceSocketFactory ? interfaceSocketFactory(name) : nullptr;
}

QByteArray FakePlatform::convertArpListing(const QByteArray& listing) const {
  return arpConverter ? arpConverter(listing) : listing;
}

bool FakePlatform::allowsWebRequest(const QString& host) const {
  QHostAddress address;
  return address.setAddress(host) && address.isLoopback();
}

quint32 ipv4(const char* dotted) {
  return QHostAddress(QString::fromLatin1(dotted)).toIPv4Address();
}

}  // namespace velmaro::test
