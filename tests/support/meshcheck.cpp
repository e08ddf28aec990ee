#include "support/meshcheck.h"

#include <cstdint>
#include <cstring>

#include <QByteArray>
#include <QFile>

qint64 StlTriangles(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return -1;
  const QByteArray head = file.read(84);
  if (head.size() != 84)
    return -1;
  std::uint32_t count = 0;
  std::memcpy(&count, head.constData() + 80, sizeof count);
  return file.size() == 84 + 50 * qint64{count} ? qint64{count} : -1;
}
