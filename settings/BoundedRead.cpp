// Piecewise reading of files whose size is capped.
#include "settings/BoundedRead.h"

#include <algorithm>

namespace tq1 {

QByteArray readBounded(QFile& file, qint64 limit) {
  constexpr qint64 kPiece = qint64{64} << 10;
  QByteArray data;
  while (data.size() <= limit) {
    const QByteArray piece = file.read(std::min(kPiece, limit + 1 - data.size()));
    if (piece.isEmpty()) break;
    data.append(piece);
  }
  return data;
}

}  // namespace tq1
