#include "support/LoopbackUnit.h"

#include <QTcpServer>
#include <QTcpSocket>

#include "UnitServer.h"

namespace velmaro::test {

LoopbackUnit::LoopbackUnit(lab::PageSet pages) {
  // A port the system hands out is free a moment later too; another test may still take
  // it in between, so a few are tried.
  for (int attempt = 0; attempt < 10 && m_port == 0; ++attempt) {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) continue;
    const quint16 port = probe.serverPort();
    probe.close();
    lab::UnitOptions options;
    options.pages = pages;
    options.bindAddress = QHostAddress::LocalHost;
    options.udpPort = 0;
    options.httpPort = port;
    auto server = std::make_unique<lab::UnitServer>(options);
    QString why;
    if (!server->start(&why)) continue;
    m_server = std::move(server);
    m_port = port;
  }
}

LoopbackUnit::~LoopbackUnit() = default;

QStringList LoopbackUnit::requests() const {
  return m_server ? m_server->requestedPages() : QStringList();
}

lab::PageSet MetaPages(const QString& name, const QString& mac) {
  lab::PageSet pages;
  pages.idPage = lab::IdPageStyle::WithMeta;
  pages.productName = name;
  pages.macText = mac;
  return pages;
}

lab::PageSet SilentPages() {
  lab::PageSet pages;
  pages.behaviour = lab::WebBehaviour::Silent;
  return pages;
}

ScriptedServer::ScriptedServer(QByteArray answer) {
  m_server.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, answer] {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
      ++m_connections;
      QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, answer] {
        socket->readAll();
        socket->write(answer);
        socket->disconnectFromHost();
      });
      QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
}

}  // namespace velmaro::test
