#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

QString WriteTestFile(const QTemporaryDir& folder, const QString& name, std::string_view bytes) {
  const QString path = QDir::isAbsolutePath(name) ? name : folder.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  EXPECT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
            static_cast<qint64>(bytes.size()));
  return path;
}

QString WriteTestFile(const QTemporaryDir& folder, const QString& name,
                      const std::vector<unsigned char>& bytes) {
  return WriteTestFile(folder, name,
                       std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}
