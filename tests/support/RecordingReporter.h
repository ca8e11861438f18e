// An error reporter that keeps every report in memory.
#pragma once

#include <QStringList>

#include "support/ErrorLog.h"

namespace velmaro::test {

class RecordingReporter final : public ErrorReporter {
 public:
  void LogError(const QString& message) override { reports.append(message); }
  QStringList reports;
};

}  // namespace velmaro::test
