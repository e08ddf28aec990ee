// The three loaders, run through their real buttons with the file dialog
// replaced: what they change, what they keep, and what they show.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "app/formroot.h"
#include "input/formstatus.h"
#include "support/bmpwriter.h"
#include "support/projection.h"
#include "view/messagebox.h"

namespace {

class Loaders : public testing::Test {
 protected:
  void SetUp() override {
    previousBox = SetMessageBoxHook([this](const MessageBoxRequest& r) {
      messages.push_back(r.text.toStdString());
      // The view must have been redrawn before any message appears.
      redrawnBeforeMessage.push_back(Redrawn());
    });
    previousChooser = TOpenDialog::SetChooser([this](const TOpenDialog& dialog) {
      filterIndexShown.push_back(dialog.FilterIndex);
      return answer;
    });
    // A grid the loaders must either replace or leave alone.
    auto* points = new Vec3[4]{{0, 0, 0}, {1, 0, 0}, {0, 1, 1}, {1, 1, 1}};
    status.surface.SetGrid(points, 2, 2, true);
    previousGrid = status.surface.vertices;
  }
  void TearDown() override {
    SetMessageBoxHook(previousBox);
    TOpenDialog::SetChooser(previousChooser);
  }

  QString Write(const char* name, const std::string& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }
  QString Write(const char* name, const std::vector<unsigned char>& bytes) {
    return Write(name, std::string(bytes.begin(), bytes.end()));
  }

  // Chooses path in the dialog (or cancels with nullopt), clicks the button and
  // reports whether the view was redrawn.
  bool Click(QPushButton* button, std::optional<QString> path, int filterIndex = 1) {
    answer = path ? std::optional(TOpenDialog::Choice{*path, filterIndex}) : std::nullopt;
    // A changed clear colour shows in the picture only after a redraw.
    graph.clearColour[0] = graph.clearColour[0] == 0.1 ? 0.9 : 0.1;
    button->setVisible(true);  // hidden buttons still take a synthetic click
    QTest::mouseClick(button, Qt::LeftButton);
    return Redrawn();
  }
  bool Redrawn() const {
    const int red = graph.clearColour[0] == 0.1 ? 26 : 230;
    return ColourNear(graph.Picture().pixel(1, 1), red, 26, 51);
  }
  bool GridUnchanged() const {
    return status.surface.vertices == previousGrid && status.surface.columns == 2 &&
           status.surface.rows == 2;
  }

  TFormRoot root;
  cOpenGLGraph& graph = root.ui.FrameCubiscope1->View();
  TFormStatus status{graph};
  QTemporaryDir dir;
  std::optional<TOpenDialog::Choice> answer;
  std::vector<std::string> messages;
  std::vector<bool> redrawnBeforeMessage;
  std::vector<int> filterIndexShown;
  const Vec3* previousGrid = nullptr;
  MessageBoxHook previousBox;
  TOpenDialog::Chooser previousChooser;
};

TEST_F(Loaders, TextFileReplacesTheGridAndRedraws) {
  const QString path =
      Write("grid.csv", "0,0,0.1\n0.5,0,0.3\n1,0,0.1\n\n0,1,0.2\n0.5,1,0.6\n1,1,0.2\n");
  EXPECT_TRUE(Click(status.ui.ButtonLoad, path));
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(status.surface.columns, 3u);
  ASSERT_EQ(status.surface.rows, 2u);
  EXPECT_EQ(status.surface.vertices[4], (Vec3{0.5, 1, 0.6}));
  EXPECT_EQ(filterIndexShown, std::vector<int>{1}) << "the text loader presets no filter";
}

TEST_F(Loaders, CancelChangesNothingButRedraws) {
  for (QPushButton* button :
       {status.ui.ButtonLoad, status.ui.ButtonLoadBMP, status.ui.ButtonLoadBMP2}) {
    EXPECT_TRUE(Click(button, std::nullopt)) << button->objectName().toStdString();
  }
  EXPECT_TRUE(GridUnchanged());
  EXPECT_EQ(status.volume.data, nullptr);
  EXPECT_TRUE(messages.empty());
}

struct FailingLoad {
  const char* button;  // object name
  const char* name;
  std::string bytes;    // the file's content; "<missing>" for no file
  const char* message;  // as shown, %s standing for the path
};

void PrintTo(const FailingLoad& f, std::ostream* os) {
  *os << f.button << " " << f.name;
}

class FailingLoads : public Loaders, public testing::WithParamInterface<FailingLoad> {};

TEST_P(FailingLoads, ShowOneMessageAfterTheRedrawAndKeepTheData) {
  const FailingLoad& f = GetParam();
  const QString path =
      f.bytes == "<missing>" ? dir.filePath(QString::fromLatin1(f.name)) : Write(f.name, f.bytes);
  auto* button = status.findChild<QPushButton*>(QString::fromLatin1(f.button));
  ASSERT_NE(button, nullptr);
  Click(button, path);
  std::string expected = f.message;
  if (const auto at = expected.find("%s"); at != std::string::npos) {
    expected.replace(at, 2, path.toStdString());
  }
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], expected);
  EXPECT_TRUE(redrawnBeforeMessage[0]);
  EXPECT_TRUE(GridUnchanged());
  EXPECT_EQ(status.volume.data, nullptr);
}

std::string Bmp1x2() {
  const std::vector<unsigned char> file =
      WriteBmp(PatternPicture(1, 2, {{255, 255, 255}}), BmpOptions{});
  return std::string(file.begin(), file.end());
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FailingLoads,
    testing::Values(
        FailingLoad{"ButtonLoad", "none.csv", "<missing>", "ファイル %s は開けません."},
        FailingLoad{"ButtonLoad", "one.csv", "1\n", "リストのインデックスが範囲を超えています (1)"},
        FailingLoad{"ButtonLoad", "two.csv", "0,0,0\n1,2\n",
                    "リストのインデックスが範囲を超えています (2)"},
        FailingLoad{"ButtonLoad", "big.csv", "1,2,1e400\n", "浮動小数点数のオーバーフロー."},
        FailingLoad{"ButtonLoadBMP", "none.bmp", "<missing>", "ファイル %s は開けません."},
        FailingLoad{"ButtonLoadBMP", "text.bmp", "this is not a bitmap at all\n",
                    "ビットマップイメージが不正です."},
        FailingLoad{"ButtonLoadBMP", "short.bmp", "BM12", "ストリームからの読み込みエラー."},
        FailingLoad{"ButtonLoadBMP", "narrow.bmp", Bmp1x2(), "不正な浮動小数点数演算命令."},
        FailingLoad{"ButtonLoadBMP2", "none.bmp", "<missing>", "ファイル %s は開けません."},
        FailingLoad{"ButtonLoadBMP2", "empty.bmp", "", "不正な浮動小数点数演算命令."}));

TEST_F(Loaders, BitmapBecomesAHeightField) {
  Picture picture{2, 2, {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {128, 128, 128}}};
  for (const bool topDown : {false, true}) {
    BmpOptions options;
    options.topDown = topDown;
    const QString path = Write(topDown ? "down.bmp" : "up.bmp", WriteBmp(picture, options));
    EXPECT_TRUE(Click(status.ui.ButtonLoadBMP, path, 3));
    ASSERT_EQ(status.surface.columns, 2u);
    ASSERT_EQ(status.surface.rows, 2u);
    const Vec3* p = status.surface.vertices;
    EXPECT_EQ(p[0], (Vec3{0, 0, 0}));
    EXPECT_EQ(p[1], (Vec3{1, 0, 1}));
    EXPECT_DOUBLE_EQ(p[2].z, 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(p[3].z, 384.0 / 765.0);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(Loaders, ZeroLengthBitmapEmptiesTheSurfaceWithoutAMessage) {
  EXPECT_TRUE(Click(status.ui.ButtonLoadBMP, Write("zero.bmp", std::string())));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(status.surface.columns, 0u);
  EXPECT_EQ(status.surface.rows, 0u);
}

TEST_F(Loaders, BitmapColoursBecomeTheVolume) {
  const QString path = Write("one.bmp", WriteBmp(Picture{1, 1, {{255, 0, 0}}}, BmpOptions{}));
  EXPECT_TRUE(Click(status.ui.ButtonLoadBMP2, path));
  ASSERT_NE(status.volume.data, nullptr);
  EXPECT_EQ(status.volume.nx, 64u);
  EXPECT_EQ(status.volume.data[258048], 1.0f);
  EXPECT_EQ(status.volume.data[0], 0.0f);
  EXPECT_TRUE(GridUnchanged());
}

TEST_F(Loaders, HeightFieldLoaderForcesTheBitmapFilterTheOthersKeepIt) {
  Click(status.ui.ButtonLoadBMP2, std::nullopt);
  Click(status.ui.ButtonLoadBMP, std::nullopt);
  Click(status.ui.ButtonLoad, std::nullopt);
  Click(status.ui.ButtonLoadBMP2, std::nullopt);
  EXPECT_EQ(filterIndexShown, (std::vector<int>{1, 3, 3, 3}));
}

}  // namespace
