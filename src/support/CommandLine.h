// A program to start and its arguments; never a shell command line.
#pragma once

#include <QString>
#include <QStringList>

namespace velmaro {

struct CommandLine {
  QString program;
  QStringList arguments;
};

}  // namespace velmaro
