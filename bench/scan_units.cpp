// Many simulated units on one lab host: each "getdeviceinfo" query is answered by every
// unit, from its own address, the replies spread evenly over a short time; the monotonic
// time of the last reply of each answer is written to a file, so the window's side can tell
// how long the last row took to show. Runs only in a lab namespace, ends by itself.
//
//   scan_units --addresses FILE --spread-ms 100 --queries 10 --stamps FILE
//
// One unit per address of FILE (one a line); each must already be on the host's lab link.
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "BenchSupport.h"

namespace {

constexpr quint16 kQueryPort = 69;
constexpr int kLimitSeconds = 900;  // a forgotten responder still ends

struct Options {
  QList<QHostAddress> addresses;
  int spreadMs = 100;
  int queries = 10;
  QString stamps;
};

// A reply as the maker's units write it; the MACs cycle through the maker's own block,
// a registered vendor and an unregistered prefix, so every kind of manufacturer look-up runs.
QByteArray reply(int unit) {
  QByteArray name = "BENCH-" + QByteArray::number(unit).rightJustified(4, '0');
  name.append(QByteArray(16 - name.size(), '\0'));
  const QByteArray low = QByteArray::number(unit & 0xFF, 16).rightJustified(2, '0').toUpper();
  QByteArray mac;
  switch (unit % 4) {
    case 0:
    case 1:
      mac = "00-0A-2B-01-90-" + low;
      break;  // the maker's units
    case 2:
      mac = "00-1B-21-00-01-" + low;
      break;  // a vendor the file names
    default:
      mac = "02-00-5E-10-00-" + low;
      break;  // a prefix no vendor holds
  }
  return name + "\r\n" + mac + "\r\nBench unit " + QByteArray::number(unit) + "\r\n50";
}

void sleepUntil(qint64 ns) {
  const timespec at{time_t(ns / 1000000000), long(ns % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  velmaro::bench::RequireLabOrExit("scan_units");
  Options o;
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == u"--addresses") {
      QFile list(args[i + 1]);
      if (list.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : list.readAll().split('\n')) {
          if (!line.trimmed().isEmpty())
            o.addresses << QHostAddress(QString::fromLatin1(line.trimmed()));
        }
      }
    } else if (args[i] == u"--spread-ms")
      o.spreadMs = args[i + 1].toInt();
    else if (args[i] == u"--queries")
      o.queries = args[i + 1].toInt();
    else if (args[i] == u"--stamps")
      o.stamps = args[i + 1];
  }
  if (o.addresses.isEmpty() || o.stamps.isEmpty()) {
    std::fprintf(stderr,
                 "usage: scan_units --addresses FILE --spread-ms MS --queries N --stamps FILE\n");
    return 2;
  }
  const int count = int(o.addresses.size());
  QUdpSocket listener;
  if (!listener.bind(QHostAddress::AnyIPv4, kQueryPort)) {
    std::fprintf(stderr, "scan_units: cannot listen on port %u: %s\n", kQueryPort,
                 qPrintable(listener.errorString()));
    return 1;
  }
  std::vector<std::unique_ptr<QUdpSocket>> units;
  std::vector<QByteArray> replies;
  for (int i = 0; i < count; ++i) {
    auto socket = std::make_unique<QUdpSocket>();
    const QHostAddress& own = o.addresses[i];
    if (!socket->bind(own, 0)) {
      std::fprintf(stderr, "scan_units: cannot bind %s: %s\n", qPrintable(own.toString()),
                   qPrintable(socket->errorString()));
      return 1;
    }
    units.push_back(std::move(socket));
    replies.push_back(reply(i + 1));
  }
  QFile stamps(o.stamps);
  if (!stamps.open(QIODevice::WriteOnly | QIODevice::Append)) return 1;
  std::printf("scan_units: %d units ready\n", count);
  std::fflush(stdout);

  const qint64 endNs = velmaro::bench::MonotonicNs() + qint64(kLimitSeconds) * 1000000000;
  for (int answered = 0; answered < o.queries;) {
    if (velmaro::bench::MonotonicNs() > endNs) break;
    if (!listener.waitForReadyRead(1000)) continue;
    while (listener.hasPendingDatagrams()) {
      const QNetworkDatagram query = listener.receiveDatagram();
      if (query.data() != "getdeviceinfo") continue;
      const qint64 start = velmaro::bench::MonotonicNs();
      const qint64 step = qint64(o.spreadMs) * 1000000 / count;
      qint64 last = start;
      for (int i = 0; i < count; ++i) {
        sleepUntil(start + step * i);
        units[size_t(i)]->writeDatagram(replies[size_t(i)], query.senderAddress(),
                                        quint16(query.senderPort()));
        last = velmaro::bench::MonotonicNs();
      }
      stamps.write(QByteArray::number(last) + ' ' + QByteArray::number(start) + '\n');
      stamps.flush();
      ++answered;
    }
  }
  return 0;
}
