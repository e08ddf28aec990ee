#pragma once
// The fixture of the loader tests: a main window and a Status window whose
// surface and volume hold known data, the file dialog answered by the test,
// message boxes recorded instead of shown.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/commandline.h"
#include "app/entry.h"
#include "app/formroot.h"
#include "formats/colourcount.h"
#include "formats/heightfield.h"
#include "formats/loadfile.h"
#include "input/decimalsymbol.h"
#include "input/formstatus.h"
#include "support/dropfile.h"
#include "support/testfiles.h"
#include "view/messagebox.h"

// What a load may change: the two objects' data and the picture.
struct PlotState {
  const Vec3* grid = nullptr;
  std::uint32_t columns = 0, rows = 0;
  std::vector<Vec3> points;
  const float* field = nullptr;
  std::uint32_t nx = 0, ny = 0, nz = 0;
  std::vector<float> values;
  QImage picture;
};

class Loaders : public testing::Test {
 protected:
  void SetUp() override {
    previousBox = SetMessageBoxHook([this](const MessageBoxRequest& r) {
      messages.push_back(r.text.toStdString());
      picturesAtMessage.push_back(graph.Picture());
    });
    previousChooser = TOpenDialog::SetChooser([this](const TOpenDialog& dialog) {
      filterIndexShown.push_back(dialog.FilterIndex);
      if (onChoose)
        onChoose();
      return answer;
    });
    PutKnownData();
  }
  // Data the loaders must either replace or leave alone.
  void PutKnownData() {
    auto* points = new Vec3[4]{{0, 0, 0}, {1, 0, 0}, {0, 1, 1}, {1, 1, 1}};
    status.surface.SetGrid(points, 2, 2, true);
    auto* field = new float[4 * 4 * 4];
    for (int i = 0; i < 64; ++i)
      field[i] = static_cast<float>(i % 5) / 4.0f;
    status.volume.SetVolume(field, 4, 4, 4, true);
    graph.Draw();
  }
  void TearDown() override {
    SetMessageBoxHook(previousBox);
    TOpenDialog::SetChooser(previousChooser);
  }

  // name: a file name in the test's folder, or a full path there.
  QString Write(const QString& name, const std::string& bytes) {
    return WriteTestFile(dir, name, bytes);
  }
  QString Write(const char* name, const std::string& bytes) {
    return Write(QString::fromLatin1(name), bytes);
  }
  QString Write(const char* name, const std::vector<unsigned char>& bytes) {
    return Write(name, std::string(bytes.begin(), bytes.end()));
  }

  // Drops the file at path on the main window, as the desktop would.
  void Drop(const QString& path, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    EXPECT_TRUE(DropFile(root, path, modifiers));
  }

  // Chooses path in the dialog (or cancels with nullopt) and clicks the button.
  void Click(QPushButton* button, std::optional<QString> path, int filterIndex = 1) {
    answer = path ? std::optional(TOpenDialog::Choice{*path, filterIndex}) : std::nullopt;
    button->setVisible(true);  // hidden buttons still take a synthetic click
    QTest::mouseClick(button, Qt::LeftButton);
  }

  // The picture is blanked first: equal to before afterwards, it was redrawn
  // and shows the same scene.
  PlotState Snapshot() {
    PlotState s;
    const cOpenGLGraph_Surface& surface = status.surface;
    s.grid = surface.vertices;
    s.columns = surface.columns;
    s.rows = surface.rows;
    if (surface.vertices)
      s.points.assign(surface.vertices, surface.vertices + surface.columns * surface.rows);
    const cOpenGLGraph_Solid& volume = status.volume;
    s.field = volume.data;
    s.nx = volume.nx, s.ny = volume.ny, s.nz = volume.nz;
    if (volume.data)
      s.values.assign(volume.data, volume.data + volume.nx * volume.ny * volume.nz);
    s.picture = graph.Picture();
    graph.Resize(0, 0, 0, 0);
    graph.Resize(0, 0, s.picture.width(), s.picture.height());
    return s;
  }
  // Data and picture exactly as in before, byte for byte.
  void ExpectUnchanged(const PlotState& before) const {
    const cOpenGLGraph_Surface& surface = status.surface;
    EXPECT_EQ(surface.vertices, before.grid);
    EXPECT_EQ(surface.columns, before.columns);
    EXPECT_EQ(surface.rows, before.rows);
    if (surface.vertices && surface.vertices == before.grid && !before.points.empty()) {
      EXPECT_EQ(
          std::memcmp(surface.vertices, before.points.data(), before.points.size() * sizeof(Vec3)),
          0);
    }
    const cOpenGLGraph_Solid& volume = status.volume;
    EXPECT_EQ(volume.data, before.field);
    EXPECT_TRUE(volume.nx == before.nx && volume.ny == before.ny && volume.nz == before.nz);
    if (volume.data && volume.data == before.field && !before.values.empty()) {
      EXPECT_EQ(
          std::memcmp(volume.data, before.values.data(), before.values.size() * sizeof(float)), 0);
    }
    EXPECT_TRUE(SamePicture(graph.Picture(), before.picture)) << "picture changed or not redrawn";
  }
  static bool SamePicture(const QImage& a, const QImage& b) {
    return a.size() == b.size() && a.format() == b.format() && a.sizeInBytes() == b.sizeInBytes() &&
           std::memcmp(a.constBits(), b.constBits(), static_cast<std::size_t>(a.sizeInBytes())) ==
               0;
  }

  TFormRoot root;
  cOpenGLGraph& graph = root.ui.FrameCubiscope1->View();
  TFormStatus status{graph};
  QTemporaryDir dir;
  std::optional<TOpenDialog::Choice> answer;
  // Runs while the dialog is open, after the user chose: to change the file
  // between the choice and the read.
  std::function<void()> onChoose;
  std::vector<std::string> messages;
  std::vector<QImage> picturesAtMessage;
  std::vector<int> filterIndexShown;
  MessageBoxHook previousBox;
  TOpenDialog::Chooser previousChooser;
};

// The loaders with the windows in place (FormRoot, FormStatus), so that files
// can come in every way: the buttons, drops and the command line.
class Ways : public Loaders {
 protected:
  void SetUp() override {
    Loaders::SetUp();
    FormRoot = &root;
    FormStatus = &status;
  }
  void TearDown() override {
    FormRoot = nullptr;
    FormStatus = nullptr;
    Loaders::TearDown();
  }

  // The program started with arguments, once its windows are up.
  void StartWith(const QStringList& arguments) {
    const CommandLineOutcome outcome = ReadCommandLine(QStringList{"cubiscope"} + arguments);
    ASSERT_FALSE(outcome.exitCode.has_value()) << outcome.text.toStdString();
    OpenAfterStartUp(outcome.options);
    QCoreApplication::processEvents();
  }

  // A height field or point grid.
  template <class Grid>
  void ExpectHeightField(const Grid& want) {
    ASSERT_EQ(status.surface.columns, static_cast<std::uint32_t>(want.columns));
    ASSERT_EQ(status.surface.rows, static_cast<std::uint32_t>(want.rows));
    if (want.columns * want.rows > 0) {
      EXPECT_EQ(std::memcmp(status.surface.vertices, want.points.get(),
                            sizeof(Vec3) * static_cast<std::size_t>(want.columns * want.rows)),
                0);
    }
  }
  void ExpectColourCount(const float* want) {
    ASSERT_EQ(status.volume.nx, 64u);
    EXPECT_EQ(std::memcmp(status.volume.data, want, sizeof(float) * kColourCells), 0);
  }
  // Its object holds what the readers make of the file at path read as kind.
  void ExpectLoaded(LoadKind kind, const QString& path) {
    if (kind == LoadKind::kPointGrid)
      ExpectHeightField(ReadPointGridFile(path, RegionalDecimalSeparator()));
    else if (kind == LoadKind::kHeightField)
      ExpectHeightField(ReadHeightFieldFile(path));
    else
      ExpectColourCount(ReadColourCountFile(path).get());
  }
};

// The same with both windows shown, for keys and the file system's notices;
// a changed file settles at once.
class ShownWays : public Ways {
 protected:
  void SetUp() override {
    Ways::SetUp();
    root.show();
    status.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&root));
    status.FileWatch().SetSettleDelay(0);
  }
};
