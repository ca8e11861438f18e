#include "cli/Session.h"

#include <QFile>

#include "cli/Conflicts.h"
#include "cli/Formats.h"
#include "cli/Rows.h"
#include "form/ControlDefaults.h"
#include "netinfo/NetworkChecks.h"
#include "platform/Terminal.h"
#include "scan/ScanRange.h"
#include "support/AppPaths.h"
#include "support/PrintableText.h"
#include "support/Tunables.h"

namespace velmaro::cli {
namespace {

void write(int descriptor, const QString& text) {
  if (platform::WriteToConsole(descriptor, text)) return;
  QFile file;
  if (!file.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
  file.write(text.toUtf8());
}

// What went wrong and what to do about it, in one line.
QString reasonFor(ScanOutcome outcome) {
  const QString program = ThisProgram();
  switch (outcome) {
    case ScanOutcome::Completed:
      return {};
    case ScanOutcome::BadRange:
      return ScanRangeMessage();
    case ScanOutcome::TimeoutTooLarge:
      return QStringLiteral(
          "the time-out is too large to count in milliseconds; give a smaller --timeout");
    case ScanOutcome::EchoNotPermitted:
      return QStringLiteral("this system does not let the program send pings: %1")
          .arg(IcmpPermissionFix(program));
    case ScanOutcome::NoEchoSocket:
      return QStringLiteral("this system offers no ICMP echo socket; pings cannot be sent from it");
    case ScanOutcome::ReplyPortHeld:
      return QStringLiteral(
                 "cannot receive the units' replies: UDP port %1 is held by another "
                 "program (a Velmaro window?); close it and scan again")
          .arg(tunables::kReplyPort);
    case ScanOutcome::QueryNotSent:
      return QStringLiteral("the discovery query could not be sent; velmaro-cli doctor tells why");
    case ScanOutcome::Busy:
      return QStringLiteral("a sweep is already running");
  }
  return {};
}

int exitStatusFor(ScanOutcome outcome) {
  switch (outcome) {
    case ScanOutcome::Completed:
      return kExitCompleted;
    case ScanOutcome::BadRange:
    case ScanOutcome::TimeoutTooLarge:
      return kExitUsage;
    default:
      return kExitNetworkUnusable;
  }
}

}  // namespace

ReadRows ReadRowsFile(const QString& path, ReadRows (*parse)(QByteArrayView bytes)) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  // A pipe (diff old.json <(velmaro-cli ping ...)) gives its bytes in pieces.
  QByteArray bytes;
  while (bytes.size() <= tunables::kMaxResultFileBytes) {
    const QByteArray piece = file.read(tunables::kMaxResultFileBytes + 1 - bytes.size());
    if (piece.isEmpty()) break;
    bytes += piece;
  }
  if (file.error() != QFileDevice::NoError) return file.errorString();
  return parse(bytes);
}

void PrintOut(const QString& text) { write(1, text); }

QString ErrorLine(const QString& text) {
  return QStringLiteral("velmaro-cli: ") + PrintableText(text) + u'\n';
}

void PrintError(const QString& line) { write(2, ErrorLine(line)); }

OptionControls::OptionControls(const Options& options)
    : m_progress(platform::StandardErrorIsTerminal()) {
  for (TextBox box : kTextBoxes) m_texts[box] = DefaultText(box);
  for (CheckBox box : kCheckBoxes) m_checks[box] = DefaultValue(box);
  for (const auto& [box, value] : options.checks) m_checks[box] = value;
}

QString OptionControls::text(TextBox box) const { return m_texts.at(box); }

int OptionControls::value(CheckBox box) const { return m_checks.at(box); }

void OptionControls::setStatus(const QString& text) {
  if (m_progress) PrintError(text);
}

Session::Session(const Options& options)
    : m_options(options),
      m_controls(options),
      m_root(std::make_unique<FormRoot>(FormServices{}, m_controls, m_controls)) {}

Session::~Session() = default;

void Session::load() {
  form().Form_Load();
  for (const auto& [box, text] : m_options.texts) m_controls.setText(box, text);
  form().txtHTTPPort_Validate();
}

int Session::finish(ScanOutcome outcome, const InterfaceBroadcast* everyCard) {
  if (outcome != ScanOutcome::Completed) {
    PrintError(reasonFor(outcome));
    return exitStatusFor(outcome);
  }
  // Boxes the run showed that no outcome explains (the error log grown too large).
  for (const QString& notice : m_controls.notices()) PrintError(notice.simplified());
  std::vector<RowRecord> rows =
      everyCard ? RowsOf(form().lstIPs(), *everyCard) : RowsOf(form().lstIPs());
  MarkConflicts(rows);
  for (const QString& line : ConflictLines(rows)) PrintError(line);
  PrintOut(m_options.format->rows(rows, m_options.wide));
  return kExitCompleted;
}

}  // namespace velmaro::cli
