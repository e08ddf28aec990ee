// The off-screen view's life: attach, paint, resize, clipboard, destruction.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QWidget>

#include "support/projection.h"
#include "view/frameopengl.h"
#include "view/messagebox.h"
#include "view/viewregistry.h"

namespace {

// Counts the message boxes that would have been shown.
class BoxCounter {
 public:
  BoxCounter() {
    previous = SetMessageBoxHook([this](const MessageBoxRequest&) { ++count; });
  }
  ~BoxCounter() { SetMessageBoxHook(previous); }
  int count = 0;

 private:
  MessageBoxHook previous;
};

QRgb Centre(const cOpenGLChildWindow& view) {
  return view.Picture().pixel(view.width / 2, view.height / 2);
}

TEST(ViewLife, PaintBeforeFirstResizeCopiesNothing) {
  QWidget panel;
  panel.resize(200, 200);
  panel.show();
  cOpenGLChildWindow view;
  ASSERT_TRUE(view.Attach(&panel));
  EXPECT_EQ(view.width, 0);
  view.window->repaint();
  EXPECT_TRUE(view.Picture().isNull());
}

TEST(ViewLife, AttachWithoutParentFailsAndHoldsNothing) {
  cOpenGLChildWindow view;
  const std::size_t before = ViewRegistry::Size();
  EXPECT_FALSE(view.Attach(nullptr));
  EXPECT_EQ(view.window, nullptr);
  EXPECT_EQ(view.glContext, nullptr);
  EXPECT_EQ(ViewRegistry::Size(), before);
}

TEST(ViewLife, TwoViewsRegisterSeparatelyAndPaintTheirOwnPictures) {
  QWidget panelA, panelB;
  cOpenGLChildWindow a, b;
  const std::size_t before = ViewRegistry::Size();
  ASSERT_TRUE(a.Attach(&panelA));
  ASSERT_TRUE(b.Attach(&panelB));
  EXPECT_EQ(ViewRegistry::Size(), before + 2);
  EXPECT_EQ(ViewRegistry::Find(a.window), &a);
  EXPECT_EQ(ViewRegistry::Find(b.window), &b);

  a.Resize(0, 0, 40, 30);
  b.Resize(0, 0, 50, 20);
  b.clearColour[0] = 1.0;
  a.Draw();
  b.Draw();
  EXPECT_EQ(a.Picture().size(), QSize(40, 30));
  EXPECT_EQ(b.Picture().size(), QSize(50, 20));
  EXPECT_TRUE(ColourNear(Centre(a), 26, 26, 51));
  EXPECT_TRUE(ColourNear(Centre(b), 255, 26, 51));
}

TEST(ViewLife, DestroyingTheChildWindowReleasesAndUnregisters) {
  QWidget panel;
  cOpenGLChildWindow view;
  ASSERT_TRUE(view.Attach(&panel));
  view.Resize(0, 0, 30, 30);
  QWidget* child = view.window;
  delete child;
  EXPECT_EQ(ViewRegistry::Find(child), nullptr);
  EXPECT_EQ(view.window, nullptr);
  EXPECT_EQ(view.glContext, nullptr);
  EXPECT_EQ(view.bitmap, nullptr);
  // Drawing afterwards renders nothing and asks for no box: there is no
  // context to make current.
  BoxCounter boxes;
  view.Draw();
  EXPECT_EQ(boxes.count, 0);
}

TEST(ViewLife, ViewDestroyedBeforeItsWindowLeavesNoDanglingEntry) {
  QWidget panel;
  QWidget* child = nullptr;
  {
    cOpenGLChildWindow view;
    ASSERT_TRUE(view.Attach(&panel));
    child = view.window;
  }
  EXPECT_EQ(ViewRegistry::Find(child), nullptr);
  child->repaint();  // must not reach the destroyed view
}

TEST(ViewLife, ClipboardKeepsItsPictureAfterLaterFramesAndResizes) {
  QWidget panel;
  cOpenGLChildWindow view;
  ASSERT_TRUE(view.Attach(&panel));
  view.Resize(0, 0, 64, 48);
  view.Draw();
  ASSERT_TRUE(view.CopyToClipboard());

  view.clearColour[1] = 1.0;
  view.Resize(0, 0, 32, 32);
  view.Draw();

  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_EQ(copied.size(), QSize(64, 48));
  EXPECT_TRUE(ColourNear(copied.pixel(32, 24), 26, 26, 51));
  EXPECT_TRUE(ColourNear(Centre(view), 26, 255, 51));
}

TEST(ViewLife, ZeroSizeKeepsAspectShowsNoErrorAndRecovers) {
  QWidget panel;
  cOpenGLChildWindow view;
  ASSERT_TRUE(view.Attach(&panel));
  view.Resize(0, 0, 200, 100);
  const double aspect = view.aspect;
  BoxCounter boxes;

  for (const QSize size : {QSize(200, 0), QSize(0, 0), QSize(0, 100)}) {
    view.Resize(0, 0, size.width(), size.height());
    view.Draw();
    EXPECT_EQ(view.aspect, aspect);
    EXPECT_TRUE(view.Picture().isNull());
  }
  EXPECT_EQ(boxes.count, 0);

  view.Resize(0, 0, 90, 30);
  view.Draw();
  EXPECT_DOUBLE_EQ(view.aspect, 3.0);
  EXPECT_EQ(view.Picture().size(), QSize(90, 30));
  EXPECT_TRUE(ColourNear(Centre(view), 26, 26, 51));
}

TEST(ViewLife, ResizeGivesABlackPictureUntilTheNextDraw) {
  QWidget panel;
  cOpenGLChildWindow view;
  ASSERT_TRUE(view.Attach(&panel));
  view.Resize(0, 0, 40, 40);
  view.Draw();
  view.Resize(0, 0, 60, 40);
  EXPECT_EQ(view.Picture().size(), QSize(60, 40));
  EXPECT_TRUE(ColourNear(Centre(view), 0, 0, 0));
  // The same size again keeps what is shown.
  view.Draw();
  view.Resize(0, 0, 60, 40);
  EXPECT_TRUE(ColourNear(Centre(view), 26, 26, 51));
}

}  // namespace
