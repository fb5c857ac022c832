// Reading a file of bounded size without reserving the bound up front.
#pragma once

#include <QByteArray>
#include <QFile>

namespace tq1 {

// At most limit + 1 bytes of an open file, read in pieces: QIODevice::read(n) reserves n bytes
// up front, so one read of the whole limit would ask for the limit's worth of memory for
// every small file. More than `limit` bytes in the result means the file is too large.
[[nodiscard]] QByteArray readBounded(QFile& file, qint64 limit);

}  // namespace tq1
