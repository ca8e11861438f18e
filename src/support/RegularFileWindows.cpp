// OpenRegularFile on Windows: the same contract through the system's own file handles.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <QDir>

#include "support/RegularFile.h"

namespace velmaro {
namespace {

// A folder's "NUL", "CON" or "COM1" opens a device, \\.\pipe\ names a pipe, and the
// reparse-point flag hands back the link or junction itself: only a plain file on a disk
// is a file the program may keep.
bool isRegularDiskFile(HANDLE handle) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!::GetFileInformationByHandle(handle, &info)) return false;
  constexpr DWORD kNotPlain =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  return (info.dwFileAttributes & kNotPlain) == 0;
}

}  // namespace

bool OpenRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode) {
  if (path.isEmpty()) return false;
  const bool appending = mode.testFlag(QIODevice::WriteOnly);
  // Append rights without write rights: the system puts every write at the end, also when
  // another copy of the program appended to the same log since our last one.
  const DWORD access =
      (appending ? FILE_APPEND_DATA : GENERIC_READ) | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  // The log stays readable in a viewer, and a second copy may append to or delete it (the
  // too-large rule) while this one holds it.
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const QString native = QDir::toNativeSeparators(path);
  const HANDLE handle =
      ::CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()), access, kShare, nullptr,
                    appending ? OPEN_ALWAYS : OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  if (!isRegularDiskFile(handle)) {
    ::CloseHandle(handle);
    return false;
  }
  // Without _O_TEXT the descriptor is binary: CR LF stay as the log writes them.
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                   appending ? _O_WRONLY | _O_APPEND : _O_RDONLY);
  if (fd < 0) {
    ::CloseHandle(handle);
    return false;
  }
  if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
    ::_close(fd);  // closes the handle with it
    return false;
  }
  return true;
}

}  // namespace velmaro
