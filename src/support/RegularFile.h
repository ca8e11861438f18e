// Opening a file the program keeps by name in a folder others may write to: a link, a
// FIFO, a device or a folder planted at that name is refused instead of followed.
#pragma once

#include <QFile>
#include <QString>

namespace velmaro {

// Opens `path` into `file` for reading (`QIODevice::ReadOnly`) or for appending, created
// when absent (`QIODevice::WriteOnly | QIODevice::Append`). The last part of the path is
// never followed as a link and the open never waits (a FIFO without a reader would hold the
// program forever); only a regular file is accepted. False, with `file` closed, otherwise.
bool OpenRegularFile(QFile& file, const QString& path, QIODevice::OpenMode mode);

}  // namespace velmaro
