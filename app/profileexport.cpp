#include "app/profileexport.h"

#include <QMimeData>
#include <QSaveFile>

#include "base/errors.h"

std::unique_ptr<QMimeData> ProfileMimeData(const std::string& csv, const QImage& charts) {
  auto data = std::make_unique<QMimeData>();
  const QByteArray bytes = QByteArray::fromStdString(csv);
  data->setText(QString::fromUtf8(bytes));
  data->setData(QStringLiteral("text/csv"), bytes);
  data->setImageData(charts);
  return data;
}

void WriteTextFile(const std::string& text, const QString& path) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    throw cFileWriteError(path, file.errorString());
  const auto size = static_cast<qint64>(text.size());
  if (file.write(text.data(), size) != size) {
    const QString reason = file.errorString();
    file.cancelWriting();
    throw cFileWriteError(path, reason);
  }
  if (!file.commit())
    throw cFileWriteError(path, file.errorString());
}
