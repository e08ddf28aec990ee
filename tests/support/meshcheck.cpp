#include "support/meshcheck.h"

#include <cstdint>
#include <cstring>
#include <map>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

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

QByteArray RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
  EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
  return process.readAllStandardOutput();
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

// The first number after label in a program's report.
double Reported(const QByteArray& report, const QString& label) {
  const QRegularExpression pattern(QRegularExpression::escape(label) +
                                   QStringLiteral("\\s*[:=]\\s*(-?[0-9.]+)"));
  const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(report));
  EXPECT_TRUE(match.hasMatch()) << label.toStdString();
  return match.captured(1).toDouble();
}

namespace {

std::vector<std::array<double, 4>> Rows(const QString& text, int columns) {
  const QStringList numbers = text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
  std::vector<std::array<double, 4>> rows(numbers.size() / columns);
  for (int i = 0; i < numbers.size(); ++i) {
    rows[i / columns][i % columns] = numbers[i].toDouble();
  }
  return rows;
}

}  // namespace

Dumped AssimpDump(const QString& path) {
  const QString xml = path + ".xml";
  RunTool("assimp", {"dump", path, xml, "-x"});
  QFile file(xml);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader reader(&file);
  Dumped dumped;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) {
      continue;
    }
    const QStringView name = reader.name();
    if (name == u"Mesh") {
      ++dumped.meshes;
    } else if (name == u"Face") {
      const auto row = Rows(reader.readElementText(), 3)[0];
      dumped.faces.push_back({int(row[0]), int(row[1]), int(row[2])});
    } else if (name == u"Positions" || name == u"Normals" || name == u"Colors") {
      const int columns = reader.attributes().value("num_components").toInt();
      auto& rows = name == u"Positions" ? dumped.positions
                   : name == u"Normals" ? dumped.normals
                                        : dumped.colours;
      rows = Rows(reader.readElementText(), columns > 0 ? columns : 3);
    }
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
  return dumped;
}

ThreeMfModel ReadThreeMf(const QString& path) {
  const QByteArray xml = RunTool("unzip", {"-p", path, "3D/3dmodel.model"});
  QXmlStreamReader reader(xml);
  ThreeMfModel model;
  std::map<QString, std::vector<QString>> groups;
  std::vector<std::array<QString, 4>> references;  // pid, p1, p2, p3
  QString group;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) {
      continue;
    }
    const QXmlStreamAttributes a = reader.attributes();
    const QStringView name = reader.name();
    if (name == u"model") {
      model.unit = a.value("unit").toString();
    } else if (name == u"vertex") {
      model.vertices.push_back(
          {a.value("x").toDouble(), a.value("y").toDouble(), a.value("z").toDouble()});
    } else if (name == u"triangle") {
      model.triangles.push_back(
          {a.value("v1").toInt(), a.value("v2").toInt(), a.value("v3").toInt()});
      references.push_back({a.value("pid").toString(), a.value("p1").toString(),
                            a.value("p2").toString(), a.value("p3").toString()});
    } else if (name == u"colorgroup") {
      group = a.value("id").toString();
    } else if (name == u"color") {
      // #RRGGBBAA, the alpha left out when opaque.
      QString colour = a.value("color").toString().toUpper();
      if (colour.size() == 9 && colour.endsWith("FF")) {
        colour.chop(2);
      }
      groups[group].push_back(colour);
    }
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
  for (const auto& r : references) {
    std::array<QString, 3> corner;
    const auto found = groups.find(r[0]);
    for (int k = 0; k < 3 && found != groups.end(); ++k) {
      // A triangle without p2, p3 has p1's colour all over.
      const int index = (r[k + 1].isEmpty() ? r[1] : r[k + 1]).toInt();
      corner[k] = index < int(found->second.size()) ? found->second[index] : QString();
    }
    model.cornerColours.push_back(corner);
  }
  return model;
}
