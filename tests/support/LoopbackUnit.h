// A simulated unit's web server inside the test's own process, on 127.0.0.1 and a free
// port: page fetches meet the lab's simulator without a lab.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <memory>

#include "UnitPages.h"

namespace velmaro::lab {
class UnitServer;
}

namespace velmaro::test {

class LoopbackUnit {
 public:
  explicit LoopbackUnit(lab::PageSet pages);
  ~LoopbackUnit();

  bool ok() const { return m_port != 0; }
  quint16 port() const { return m_port; }
  QString portText() const { return QString::number(m_port); }
  // The pages asked for, in order.
  QStringList requests() const;

 private:
  std::unique_ptr<lab::UnitServer> m_server;
  quint16 m_port = 0;
};

// The unit of the lab's u1 (id.htm with both meta entries), under another name if wished.
lab::PageSet MetaPages(const QString& name = QStringLiteral("NV-CAM-1000 Front door"),
                       const QString& mac = QStringLiteral("00-0A-2B-01-80-01"));

// A unit that accepts every connection and never answers.
lab::PageSet SilentPages();

// Answers every connection on 127.0.0.1 with the same bytes, and counts the connections.
class ScriptedServer {
 public:
  explicit ScriptedServer(QByteArray answer);
  quint16 port() const { return m_server.serverPort(); }
  int connections() const { return m_connections; }

 private:
  QTcpServer m_server;
  int m_connections = 0;
};

}  // namespace velmaro::test
