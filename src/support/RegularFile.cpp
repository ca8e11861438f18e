#include "support/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmaro {

bool OpenRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode) {
  const bool appending = mode.testFlag(QIODevice::WriteOnly);
  const int flags =
      (appending ? O_WRONLY | O_APPEND | O_CREAT : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  constexpr mode_t kCreated = 0666;  // narrowed by the umask, as any file the user makes
  const int fd = ::open(QFile::encodeName(path).constData(), flags, kCreated);
  if (fd < 0) return false;
  struct stat info = {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      !file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  return true;
}

}  // namespace velmaro
