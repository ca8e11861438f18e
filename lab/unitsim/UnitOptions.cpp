#include "UnitOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace velmaro::lab {
namespace {

std::optional<quint16> Port(const QString& text) {
  bool ok = false;
  const uint value = text.toUInt(&ok);
  if (!ok || value > 65535) return std::nullopt;
  return static_cast<quint16>(value);
}

}  // namespace

std::variant<UnitOptions, QString> ParseUnitOptions(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Simulated network unit for the Velmaro lab"));
  const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Unit name (reply line 1)."),
                                QStringLiteral("text"));
  const QCommandLineOption width(QStringLiteral("name-width"),
                                 QStringLiteral("Pad line 1 with NUL to this many bytes."),
                                 QStringLiteral("n"), QStringLiteral("16"));
  const QCommandLineOption mac(QStringLiteral("mac"),
                               QStringLiteral("MAC text for reply line 2 and the meta entry."),
                               QStringLiteral("text"));
  const QCommandLineOption text(QStringLiteral("text"), QStringLiteral("Free text (reply line 3)."),
                                QStringLiteral("text"));
  const QCommandLineOption portLine(
      QStringLiteral("port-line"),
      QStringLiteral("Reply line 4 (HTTP port in hex); omit for three lines."),
      QStringLiteral("hex"));
  const QCommandLineOption reply(QStringLiteral("reply"),
                                 QStringLiteral("normal, lf, short or none."),
                                 QStringLiteral("shape"), QStringLiteral("normal"));
  const QCommandLineOption udpPort(QStringLiteral("udp-port"),
                                   QStringLiteral("Discovery port (0: none)."),
                                   QStringLiteral("port"), QStringLiteral("69"));
  const QCommandLineOption httpPort(QStringLiteral("http-port"),
                                    QStringLiteral("Web server port (0: none)."),
                                    QStringLiteral("port"), QStringLiteral("0"));
  const QCommandLineOption idPage(QStringLiteral("id-page"),
                                  QStringLiteral("none, meta, body, name-only or body-attributes."),
                                  QStringLiteral("style"), QStringLiteral("none"));
  const QCommandLineOption idTitle(QStringLiteral("id-title"), QStringLiteral("Title of id.htm."),
                                   QStringLiteral("text"), QStringLiteral("Norvikta Product ID"));
  const QCommandLineOption missing(
      QStringLiteral("missing"),
      QStringLiteral("How missing pages are answered: error, empty or titled."),
      QStringLiteral("style"), QStringLiteral("error"));
  const QCommandLineOption web(
      QStringLiteral("web"),
      QStringLiteral("normal, silent (never answers) or endless (a body without end)."),
      QStringLiteral("behaviour"), QStringLiteral("normal"));
  const QCommandLineOption redirectTo(
      QStringLiteral("redirect-to"),
      QStringLiteral("Answer every page with 302 to this address + the page."),
      QStringLiteral("url"));
  const QCommandLineOption homeTitle(QStringLiteral("home-title"),
                                     QStringLiteral("Title of the home pages."),
                                     QStringLiteral("text"));
  const QCommandLineOption homePages(
      QStringLiteral("home-pages"), QStringLiteral("Comma-separated home pages that exist."),
      QStringLiteral("list"), QStringLiteral("index.htm,index.html"));
  const QCommandLineOption bind(QStringLiteral("bind"),
                                QStringLiteral("Local address to listen on."),
                                QStringLiteral("address"), QStringLiteral("0.0.0.0"));
  const QCommandLineOption maxSeconds(QStringLiteral("max-seconds"),
                                      QStringLiteral("End after this many seconds."),
                                      QStringLiteral("n"), QStringLiteral("14400"));
  parser.addOptions({name, width, mac, text, portLine, reply, udpPort, httpPort, idPage, homeTitle,
                     homePages, bind, maxSeconds, idTitle, missing, web, redirectTo});
  // --- Hostile units (Hostile.h) ---
  const QCommandLineOption floodPort(
      QStringLiteral("flood-port"), QStringLiteral("UDP port where \"flood PORT\" starts a flood."),
      QStringLiteral("port"), QStringLiteral("0"));
  const QCommandLineOption noise(
      QStringLiteral("icmp-noise"),
      QStringLiteral("Answer echo requests with forged ICMP about this address."),
      QStringLiteral("address"));
  const QCommandLineOption noiseStale(QStringLiteral("noise-stale-ms"),
                                      QStringLiteral("Send the stale replies this much later."),
                                      QStringLiteral("ms"), QStringLiteral("1500"));
  parser.addOptions({floodPort, noise, noiseStale});
  if (!parser.parse(arguments)) return parser.errorText();
  if (!parser.positionalArguments().isEmpty())
    return QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());

  UnitOptions options;
  UnitIdentity& unit = options.identity;
  unit.name = parser.value(name);
  bool ok = false;
  unit.nameWidth = parser.value(width).toInt(&ok);
  if (!ok || unit.nameWidth < 0 || unit.nameWidth > 1024) return QStringLiteral("bad --name-width");
  unit.macText = parser.value(mac);
  unit.freeText = parser.value(text);
  if (parser.isSet(portLine)) unit.portLine = parser.value(portLine);
  const auto shape = ReplyShapeFromName(parser.value(reply));
  if (!shape) return QStringLiteral("bad --reply: %1").arg(parser.value(reply));
  unit.shape = *shape;

  const auto udp = Port(parser.value(udpPort));
  const auto http = Port(parser.value(httpPort));
  if (!udp || !http) return QStringLiteral("bad port number");
  options.udpPort = *udp;
  options.httpPort = *http;

  PageSet& pages = options.pages;
  const QString style = parser.value(idPage);
  if (style == u"none")
    pages.idPage = IdPageStyle::None;
  else if (style == u"meta")
    pages.idPage = IdPageStyle::WithMeta;
  else if (style == u"body")
    pages.idPage = IdPageStyle::BodyOnly;
  else if (style == u"name-only")
    pages.idPage = IdPageStyle::NameOnly;
  else if (style == u"body-attributes")
    pages.idPage = IdPageStyle::BodyWithAttributes;
  else
    return QStringLiteral("bad --id-page: %1").arg(style);
  pages.idTitle = parser.value(idTitle);
  const QString missingStyle = parser.value(missing);
  if (missingStyle == u"error")
    pages.missing = MissingPage::ErrorPage;
  else if (missingStyle == u"empty")
    pages.missing = MissingPage::Empty;
  else if (missingStyle == u"titled")
    pages.missing = MissingPage::Titled;
  else
    return QStringLiteral("bad --missing: %1").arg(missingStyle);
  const QString behaviour = parser.value(web);
  if (behaviour == u"normal")
    pages.behaviour = WebBehaviour::Normal;
  else if (behaviour == u"silent")
    pages.behaviour = WebBehaviour::Silent;
  else if (behaviour == u"endless")
    pages.behaviour = WebBehaviour::Endless;
  else if (const auto hostile = HostileWebFromName(behaviour))
    options.hostileWeb = hostile;
  else
    return QStringLiteral("bad --web: %1").arg(behaviour);
  if (parser.isSet(redirectTo)) {
    if (pages.behaviour != WebBehaviour::Normal)
      return QStringLiteral("--redirect-to needs --web normal");
    pages.behaviour = WebBehaviour::Redirect;
    pages.redirectTo = parser.value(redirectTo);
  }
  pages.productName = unit.freeText.isEmpty() ? unit.name : unit.name + u' ' + unit.freeText;
  pages.macText = unit.macText;
  if (parser.isSet(homeTitle)) {
    pages.homeTitle = parser.value(homeTitle);
    pages.homePages = parser.value(homePages).split(u',', Qt::SkipEmptyParts);
  }

  if (!options.bindAddress.setAddress(parser.value(bind)) ||
      options.bindAddress.protocol() != QAbstractSocket::IPv4Protocol)
    return QStringLiteral("bad --bind address: %1").arg(parser.value(bind));
  options.maxSeconds = parser.value(maxSeconds).toInt(&ok);
  if (!ok || options.maxSeconds <= 0 || options.maxSeconds > 7 * 24 * 3600)
    return QStringLiteral("bad --max-seconds");

  // --- Hostile units (Hostile.h) ---
  const auto flood = Port(parser.value(floodPort));
  if (!flood) return QStringLiteral("bad --flood-port");
  options.floodPort = *flood;
  if (parser.isSet(noise)) {
    const QHostAddress victim(parser.value(noise));
    if (victim.protocol() != QAbstractSocket::IPv4Protocol)
      return QStringLiteral("bad --icmp-noise address: %1").arg(parser.value(noise));
    options.noiseVictim = victim;
  }
  options.noiseStaleMs = parser.value(noiseStale).toInt(&ok);
  if (!ok || options.noiseStaleMs < 0 || options.noiseStaleMs > 60000)
    return QStringLiteral("bad --noise-stale-ms");
  return options;
}

bool SendsBeyondLoopback(const UnitOptions& options) {
  return !options.bindAddress.isLoopback() || options.noiseVictim.has_value();
}

}  // namespace velmaro::lab
