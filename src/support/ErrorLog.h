// The program's only diagnostic record, ErrorLog.txt: one line per trapped failure, with
// version and time stamp, never repeated while it is the newest entry, and limited in size.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>

namespace velmaro {

class Clock;
class UserNotice;

// Where trapped failures go. Procedures know only this.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void LogError(const QString& message) = 0;
};

class ErrorLog final : public ErrorReporter {
 public:
  // A log at `path`; `notice` shows the too-large box and viewer (may be null: then the
  // oversized log is only deleted). `fallbackPath`: where a record goes when the log at
  // `path` cannot be opened at all, or is not a regular file (empty: nowhere).
  ErrorLog(QString path, const Clock& clock, UserNotice* notice, QString fallbackPath = {});

  void LogError(const QString& message) override;

  const QString& path() const { return m_path; }

  static constexpr qint64 kSizeLimit = 131072;  // 128 KiB: a log this big means trouble
  static QString tooLargeText();

 private:
  void writeReport(const QString& message);
  bool writeReportTo(const QString& path, const QString& message);
  void handleTooLarge(const QString& path);

  QString m_path;
  QString m_fallbackPath;
  const Clock& m_clock;
  UserNotice* m_notice;
  bool m_boxOpen = false;      // the too-large box is showing
  std::deque<QString> m_held;  // reports that arrived while it showed
};

// The 8-bit text the log stores for a report: Latin-1 as it is but for control characters,
// which become "?"; other characters as their plain Latin form where they have one (dashes
// as "-", accents dropped), "?" otherwise.
QByteArray LogText(const QString& text);

// True when a file exists at the path (its length can be read). Never fails.
bool FileExists(const QString& path);

// True when the list has at least one element.
bool IsArrayInitialized(const QStringList& list);

// The text of one error report.
enum class Container { Form, Module };
QString ErrorReportText(int number, const QString& description, const QString& procedure,
                        Container container, int line);

}  // namespace velmaro
