// velmaro-cli: the window's procedures driven from a command line, the list printed.
#include <QCoreApplication>

#include "cli/Commands.h"
#include "support/Version.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // The same name as the window, so both write to the same per-user folder.
  QCoreApplication::setApplicationName(QString::fromLatin1(velmaro::kAppTitle));
  QCoreApplication::setApplicationVersion(velmaro::versionText());
  return velmaro::cli::Dispatch(QCoreApplication::arguments().mid(1));
}
