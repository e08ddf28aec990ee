#include "app/outputpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include "formats/webaddress.h"

namespace {

const QString kName = QStringLiteral("{name}");
const QString kNumber = QStringLiteral("{n}");

QString NameOf(const QString& file) {
  // A web address's name is its path's last part, without the query.
  const QString name =
      IsWebAddress(file.toStdString()) ? QUrl(file).fileName() : QFileInfo(file).fileName();
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot > 0 ? name.left(dot) : name;
}

}  // namespace

OutputPaths MakeOutputPaths(const QString& pattern, const QStringList& files,
                            const QString& coloursFile) {
  const bool placeholders = pattern.contains(kName) || pattern.contains(kNumber);
  if (files.isEmpty()) {
    if (placeholders)
      return QStringLiteral("PICTURE holds {name} or {n} but no FILE is named.");
    return QStringList{pattern};
  }
  if (files.size() > 1 && !placeholders)
    return QStringLiteral("PICTURE must hold {name} or {n} when more than one FILE is named.");

  QStringList paths;
  QHash<QString, qsizetype> writer;  // path -> index of the file pictured there
  for (qsizetype i = 0; i < files.size(); ++i) {
    QString path = pattern;
    path.replace(kName, NameOf(files[i])).replace(kNumber, QString::number(i + 1));
    path = QDir::cleanPath(path);
    if (const auto earlier = writer.constFind(path); earlier != writer.constEnd()) {
      return QStringLiteral("The pictures of %1 and %2 would both be written to %3.")
          .arg(files[*earlier], files[i], path);
    }
    writer.insert(path, i);
    paths.append(path);
  }
  if (files.size() > 1) {
    // A FILE or the colours file replaced by another file's picture may be
    // read after it, and drawn from the wrong picture then; a file's own
    // picture may replace it, as a single picture may, since it is read
    // first.
    QStringList inputs = files;
    inputs.append(coloursFile);
    for (qsizetype k = 0; k < inputs.size(); ++k) {
      if (inputs[k].isEmpty())
        continue;
      const auto found = writer.constFind(QDir::cleanPath(inputs[k]));
      if (found != writer.constEnd() && *found != k) {
        return QStringLiteral("The picture of %1 would replace %2, which this run reads.")
            .arg(files[*found], inputs[k]);
      }
    }
  }
  return paths;
}
