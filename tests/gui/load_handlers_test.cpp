// The three loaders, run through their real buttons with the file dialog
// replaced: what they change when they succeed, and the filter they show.
// Failures are in load_failures_test.cpp.
#include "loaders.h"

#include "support/bmpwriter.h"

namespace {

TEST_F(Loaders, TextFileReplacesTheGridAndRedraws) {
  const QString path =
      Write("grid.csv", "0,0,0.1\n0.5,0,0.3\n1,0,0.1\n\n0,1,0.2\n0.5,1,0.6\n1,1,0.2\n");
  const QImage before = graph.Picture();
  Click(status.ui.ButtonLoad, path);
  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(status.surface.columns, 3u);
  ASSERT_EQ(status.surface.rows, 2u);
  EXPECT_EQ(status.surface.vertices[4], (Vec3{0.5, 1, 0.6}));
  EXPECT_FALSE(SamePicture(graph.Picture(), before)) << "the new grid is not drawn";
  EXPECT_EQ(filterIndexShown, std::vector<int>{1}) << "the text loader presets no filter";
}

TEST_F(Loaders, CancelChangesNothingButRedraws) {
  for (QPushButton* button :
       {status.ui.ButtonLoad, status.ui.ButtonLoadBMP, status.ui.ButtonLoadBMP2}) {
    SCOPED_TRACE(button->objectName().toStdString());
    const PlotState before = Snapshot();
    Click(button, std::nullopt);
    ExpectUnchanged(before);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(Loaders, BitmapBecomesAHeightField) {
  Picture picture{2, 2, {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {128, 128, 128}}};
  for (const bool topDown : {false, true}) {
    BmpOptions options;
    options.topDown = topDown;
    const QString path = Write(topDown ? "down.bmp" : "up.bmp", WriteBmp(picture, options));
    Click(status.ui.ButtonLoadBMP, path, 3);
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
  Click(status.ui.ButtonLoadBMP, Write("zero.bmp", std::string()));
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(status.surface.columns, 0u);
  EXPECT_EQ(status.surface.rows, 0u);
}

TEST_F(Loaders, BitmapColoursBecomeTheVolume) {
  const Vec3* grid = status.surface.vertices;
  const QString path = Write("one.bmp", WriteBmp(Picture{1, 1, {{255, 0, 0}}}, BmpOptions{}));
  Click(status.ui.ButtonLoadBMP2, path);
  ASSERT_NE(status.volume.data, nullptr);
  EXPECT_EQ(status.volume.nx, 64u);
  EXPECT_EQ(status.volume.data[258048], 1.0f);
  EXPECT_EQ(status.volume.data[0], 0.0f);
  EXPECT_EQ(status.surface.vertices, grid);
}

TEST_F(Loaders, HeightFieldLoaderForcesTheBitmapFilterTheOthersKeepIt) {
  Click(status.ui.ButtonLoadBMP2, std::nullopt);
  Click(status.ui.ButtonLoadBMP, std::nullopt);
  Click(status.ui.ButtonLoad, std::nullopt);
  Click(status.ui.ButtonLoadBMP2, std::nullopt);
  EXPECT_EQ(filterIndexShown, (std::vector<int>{1, 3, 3, 3}));
}

}  // namespace
