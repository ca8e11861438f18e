#include "support/ErrorLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "support/Clock.h"
#include "support/Numbers.h"
#include "support/PrintableText.h"
#include "support/RegularFile.h"
#include "support/UserNotice.h"
#include "support/Version.h"

namespace velmaro {
namespace {

constexpr char kLineEnd[] = "\r\n";
// A last line longer than this is not one of our records; do not read a runaway file.
constexpr qint64 kLastLineScanLimit = 1 << 20;

// The text of the file's last line: the bytes after the last CR or LF that precedes the
// final two bytes (the final CR LF), up to the next line end.
QByteArray lastLineOf(QFile& file) {
  const qint64 length = file.size();
  if (length <= 2) return {};
  const qint64 end = length - 2;  // bytes before the final two
  const qint64 start = std::max<qint64>(0, end - kLastLineScanLimit);
  if (!file.seek(start)) return {};
  const QByteArray tail = file.read(end - start);
  if (tail.size() != end - start) return {};
  qsizetype found = -1;
  for (qsizetype i = tail.size() - 1; i >= 0; --i) {
    if (tail[i] == '\r' || tail[i] == '\n') {
      found = i;
      break;
    }
  }
  if (found < 0) return {};
  // The line runs from after the break up to the next line end, which may be inside
  // the final two bytes.
  if (!file.seek(start + found + 1)) return {};
  QByteArray line = file.read(kLastLineScanLimit);
  const qsizetype stop = line.indexOf('\r') >= 0 ? line.indexOf('\r') : line.indexOf('\n');
  const qsizetype lf = line.indexOf('\n');
  qsizetype cut = stop;
  if (lf >= 0 && (cut < 0 || lf < cut)) cut = lf;
  if (cut >= 0) line.truncate(cut);
  return line;
}

// One character outside Latin-1 as the file can hold it: typographic marks as their plain
// forms, letters without their accents, "?" for anything else.
void appendPlain(QByteArray& out, QChar c) {
  switch (c.unicode()) {
    case u'\u2010':
    case u'\u2011':
    case u'\u2012':
    case u'\u2013':
    case u'\u2014':
    case u'\u2212':
      out += '-';
      return;
    case u'\u2018':
    case u'\u2019':
    case u'\u201A':
      out += '\'';
      return;
    case u'\u201C':
    case u'\u201D':
    case u'\u201E':
      out += '"';
      return;
    case u'\u2026':
      out += "...";
      return;
    default:
      break;
  }
  QByteArray plain;
  for (const QChar part : QString(c).normalized(QString::NormalizationForm_KD)) {
    if (part.unicode() <= 0xFF && !part.isMark()) plain += char(part.unicode());
  }
  out += plain.isEmpty() ? QByteArray("?") : plain;
}

bool endsWithLineBreak(QFile& file) {
  const qint64 length = file.size();
  if (length == 0) return true;
  if (!file.seek(length - 1)) return true;
  const QByteArray last = file.read(1);
  return last == "\n" || last == "\r";
}

}  // namespace

QByteArray LogText(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (IsControlCharacter(c)) {
      out += '?';  // a line break or escape would split or forge a record
    } else if (c.unicode() <= 0xFF) {
      out += char(c.unicode());
    } else if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      out += '?';  // one character outside the basic plane, one mark
      ++i;
    } else {
      appendPlain(out, c);
    }
  }
  return out;
}

ErrorLog::ErrorLog(QString path, const Clock& clock, UserNotice* notice, QString fallbackPath)
    : m_path(std::move(path)),
      m_fallbackPath(std::move(fallbackPath)),
      m_clock(clock),
      m_notice(notice) {}

QString ErrorLog::tooLargeText() {
  return QStringLiteral(
             "'ErrorLog.txt' is too large, indicating there's something wrong with the "
             "software and/or its components.") +
         QLatin1String(kLineEnd) + QLatin1String(kLineEnd) +
         QStringLiteral(
             "Please email the contents of 'ErrorLog.txt' shown in the Notepad window to ") +
         QLatin1String(kCompanyName) + QStringLiteral("'s support team.");
}

void ErrorLog::LogError(const QString& message) {
  const QStringList fields = message.split(u' ');
  if (fields.size() >= 3) {
    const double number = LeadingNumber(fields[1]);
    if (number == 400 || number == 401) return;
  }
  if (m_boxOpen) {
    // The user has not answered the too-large box yet: keep the report for the new log.
    m_held.push_back(message);
    return;
  }
  writeReport(message);
}

void ErrorLog::writeReport(const QString& message) {
  if (writeReportTo(m_path, message) || m_fallbackPath.isEmpty()) return;
  // Something stands where the log should be (a folder, a link or a FIFO of that name, a
  // file that may not be written): the record goes to the other log rather than being lost.
  QDir().mkpath(QFileInfo(m_fallbackPath).path());
  writeReportTo(m_fallbackPath, message);
}

// False only when the log at `path` cannot be opened for appending.
bool ErrorLog::writeReportTo(const QString& path, const QString& message) {
  // Nothing here may throw or report: a log that cannot be written is simply not written.
  // The repeat rule compares what the file holds, not the text before it was made 8-bit.
  const QByteArray stored = LogText(message);
  // The log's folder may be one others can write to (the program's own, run by root): a
  // link planted at the name must not make the record land elsewhere, nor a FIFO hold the
  // program; anything but a regular file counts as a log that cannot be opened.
  QFile file;
  bool endsLine = true;
  if (OpenRegularFile(file, path, QIODevice::ReadOnly)) {
    const QByteArray last = lastLineOf(file);
    endsLine = endsWithLineBreak(file);
    file.close();
    if (last.size() > 2 && last.contains(stored)) return true;
  }
  if (!OpenRegularFile(file, path, QIODevice::WriteOnly | QIODevice::Append)) return false;
  QByteArray out;
  const qint64 size = file.size();
  // A file left without a final line end (another program, a cut-off write) would glue
  // the record to its last text, where the repeat rule never finds it.
  if (size > 0 && !endsLine) out += kLineEnd;
  if (size == 0) {
    out += kAppTitle;
    out += " Error Log";
    out += kLineEnd;
    out += QByteArray(20, '=');
    out += kLineEnd;
  } else if (size >= kSizeLimit) {
    file.close();
    handleTooLarge(path);
    return true;
  }
  out += versionText().toLatin1();
  out += ' ';
  out += m_clock.localNow().toString(QStringLiteral("MMddyy HHmm")).toLatin1();
  out += ' ';
  out += stored;
  out += kLineEnd;
  file.write(out);
  file.close();
  return true;
}

void ErrorLog::handleTooLarge(const QString& path) {
  m_boxOpen = true;
  if (m_notice) {
    m_notice->openDocument(path);
    m_notice->showInformation(tooLargeText());
  }
  m_boxOpen = false;
  QFile::remove(path);
  // Reports that arrived while the box was open start the fresh log, in their order.
  while (!m_held.empty()) {
    const QString held = m_held.front();
    m_held.pop_front();
    writeReport(held);
  }
}

bool FileExists(const QString& path) {
  const QFileInfo info(path);
  return info.exists() && info.isFile();
}

bool IsArrayInitialized(const QStringList& list) { return !list.isEmpty(); }

QString ErrorReportText(int number, const QString& description, const QString& procedure,
                        Container container, int line) {
  const QString where = container == Container::Form ? QStringLiteral("Form frmMain")
                                                     : QStringLiteral("Module modDataProcess");
  // One multi-argument call: a description holding "%1" (a card's name) stays as it is.
  return QStringLiteral("Error %1 (%2) in procedure %3 of %4 on line %5")
      .arg(QString::number(number), description, procedure, where, QString::number(line));
}

}  // namespace velmaro
