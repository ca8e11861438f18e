// velmaro-cli: the window's procedures driven from a command line, the list printed.
#include <QCoreApplication>
#include <cstdio>

#include "cli/Commands.h"
#include "platform/Platform.h"
#include "support/Version.h"

int main(int argc, char** argv) {
  // Before anything of the toolkit runs: it reads its environment and loads plugins.
  if (const QString refused = velmaro::platform::dropPrivileges(); !refused.isEmpty()) {
    std::fprintf(stderr, "velmaro-cli: %s\n", refused.toUtf8().constData());
    return 1;
  }
  QCoreApplication app(argc, argv);
  // The same name as the window, so both write to the same per-user folder.
  QCoreApplication::setApplicationName(QString::fromLatin1(velmaro::kAppTitle));
  QCoreApplication::setApplicationVersion(velmaro::versionText());
  return velmaro::cli::Dispatch(QCoreApplication::arguments().mid(1));
}
