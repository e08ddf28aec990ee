// The picture out of the program and the keys and menu around it, through the
// real windows as the program opens them.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/windows.h"
#include "support/keypress.h"
#include "support/projection.h"
#include "view/messagebox.h"

namespace {

bool SamePixels(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32);
  const QImage y = b.convertToFormat(QImage::Format_RGB32);
  return x.size() == y.size() &&
         std::memcmp(x.constBits(), y.constBits(), static_cast<std::size_t>(x.sizeInBytes())) == 0;
}

class PictureOut : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.root.get()));
    previousBox = SetMessageBoxHook(
        [this](const MessageBoxRequest& r) { messages.push_back(r.text.toStdString()); });
    previousSave = TSaveDialog::SetChooser([this](const TSaveDialog& dialog) {
      foldersShown.push_back(dialog.Directory);
      return saveAnswer;
    });
    previousOpen = TOpenDialog::SetChooser([this](const TOpenDialog& dialog) {
      filtersShown.push_back(dialog.FilterIndex);
      return std::optional<TOpenDialog::Choice>();
    });
  }
  void TearDown() override {
    SetMessageBoxHook(previousBox);
    TSaveDialog::SetChooser(previousSave);
    TOpenDialog::SetChooser(previousOpen);
  }

  QAction* MenuItem(const QString& text) const {
    for (QAction* action : graph.window->actions()) {
      if (action->text() == text)
        return action;
    }
    return nullptr;
  }

  Windows windows = OpenWindows();
  TFrameCubiscope& frame = *windows.root->ui.FrameCubiscope1;
  cOpenGLGraph& graph = frame.View();
  TFormStatus& status = *windows.status;
  QTemporaryDir dir;
  std::optional<QString> saveAnswer;
  std::vector<std::string> messages;
  std::vector<QString> foldersShown;
  std::vector<int> filtersShown;
  MessageBoxHook previousBox;
  TSaveDialog::Chooser previousSave;
  TOpenDialog::Chooser previousOpen;
};

TEST_F(PictureOut, FirstPictureShowsTheBarsCameraAndTheTablesLine) {
  Camera bars;
  bars.Aim(frame.ui.ScrollBarTheta->value(), frame.ui.ScrollBarHeight->value(),
           frame.ui.ScrollBarZoom->value());
  EXPECT_EQ(graph.ViewCamera().zoom, bars.zoom);
  EXPECT_EQ(graph.ViewCamera().eye, bars.eye);
  const QImage first = graph.Picture();
  status.line.disp3D = 0;
  graph.Draw();
  // Between the table's points 3 and 4 of the straight default line.
  const QPoint onLine = ProjectDataPoint(graph, {0.4375, 0.109375, 0.21875});
  EXPECT_NE(first.pixel(onLine), graph.Picture().pixel(onLine)) << "the line is not drawn";
}

TEST_F(PictureOut, HomeAndResetViewRestoreTheFirstPictureWithOneRedraw) {
  const QImage first = graph.Picture();
  ASSERT_NE(MenuItem(QStringLiteral("Reset view")), nullptr);
  for (const auto& reset :
       {std::function<void()>([&] { Press(windows.root.get(), Qt::Key_Home); }),
        std::function<void()>([&] { MenuItem(QStringLiteral("Reset view"))->trigger(); })}) {
    frame.ui.ScrollBarTheta->setValue(100);
    frame.ui.ScrollBarHeight->setValue(-300);
    frame.ui.ScrollBarZoom->setValue(77);
    const std::uint64_t frames = graph.FramesPresented();
    reset();
    EXPECT_EQ(graph.FramesPresented(), frames + 1);
    EXPECT_EQ(frame.ui.ScrollBarTheta->value(), 4500);
    EXPECT_EQ(frame.ui.ScrollBarHeight->value(), 5000);
    EXPECT_EQ(frame.ui.ScrollBarZoom->value(), 5001);
    EXPECT_TRUE(SamePixels(graph.Picture(), first));
  }
}

TEST_F(PictureOut, ArrowAndPageKeysStepTheBarsWithOneRedrawEach) {
  struct Row {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    QScrollBar* bar;
    int step;
  };
  // An arrow turns or tilts by a degree, with Shift by the bars' own step.
  for (const Row& row : {Row{Qt::Key_Left, {}, frame.ui.ScrollBarTheta, -100},
                         Row{Qt::Key_Right, {}, frame.ui.ScrollBarTheta, 100},
                         Row{Qt::Key_Up, {}, frame.ui.ScrollBarHeight, -100},
                         Row{Qt::Key_Down, {}, frame.ui.ScrollBarHeight, 100},
                         Row{Qt::Key_Left, Qt::ShiftModifier, frame.ui.ScrollBarTheta, -1},
                         Row{Qt::Key_Down, Qt::ShiftModifier, frame.ui.ScrollBarHeight, 1},
                         Row{Qt::Key_PageUp, {}, frame.ui.ScrollBarZoom, -500},
                         Row{Qt::Key_PageDown, {}, frame.ui.ScrollBarZoom, 500}}) {
    const int before = row.bar->value();
    const std::uint64_t frames = graph.FramesPresented();
    const QImage picture = graph.Picture();
    Press(windows.root.get(), row.key, row.modifiers);
    EXPECT_EQ(row.bar->value(), before + row.step)
        << QTest::toString(row.key) << (row.modifiers ? " with Shift" : "");
    EXPECT_EQ(graph.FramesPresented(), frames + 1);
    if (row.modifiers == Qt::NoModifier) {
      EXPECT_FALSE(SamePixels(graph.Picture(), picture)) << "a press shows no change";
    }
  }
}

TEST_F(PictureOut, CopyKeyAndMenuItemPutThePictureOnTheClipboard) {
  for (const auto& copy :
       {std::function<void()>([&] { Press(windows.root.get(), Qt::Key_C, Qt::ControlModifier); }),
        std::function<void()>([&] { MenuItem(QStringLiteral("Copy"))->trigger(); })}) {
    QGuiApplication::clipboard()->clear();
    copy();
    EXPECT_TRUE(SamePixels(QGuiApplication::clipboard()->image(), graph.Picture()));
  }
}

TEST_F(PictureOut, LoaderKeysOpenTheirDialogsFromEitherWindow) {
  for (QWidget* window :
       {static_cast<QWidget*>(windows.root.get()), static_cast<QWidget*>(windows.status.get())}) {
    status.OpenDialog.FilterIndex = 1;
    Press(window, Qt::Key_O, Qt::ControlModifier);
    Press(window, Qt::Key_B, Qt::ControlModifier);
  }
  // The text loader shows the current entry, the bitmap loader forces entry 3.
  EXPECT_EQ(filtersShown, (std::vector<int>{1, 3, 1, 3}));
}

TEST_F(PictureOut, SaveWritesThePixelsCopyPutsOnTheClipboard) {
  status.ButtonCopyClick();
  const QImage copied = QGuiApplication::clipboard()->image();
  struct Row {
    const char* name;
    std::function<void()> save;
    bool exact;  // JPEG keeps only the size
  };
  const Row rows[] = {
      {"status.png", [&] { Press(windows.status.get(), Qt::Key_S, Qt::ControlModifier); }, true},
      {"root.bmp", [&] { Press(windows.root.get(), Qt::Key_S, Qt::ControlModifier); }, true},
      {"menu.JPG", [&] { MenuItem(QStringLiteral("Save picture…"))->trigger(); }, false},
  };
  for (const Row& row : rows) {
    saveAnswer = dir.filePath(QString::fromLatin1(row.name));
    row.save();
    const QImage saved(*saveAnswer);
    ASSERT_FALSE(saved.isNull()) << row.name;
    EXPECT_EQ(saved.size(), copied.size());
    if (row.exact) {
      EXPECT_TRUE(SamePixels(saved, copied)) << row.name;
    }
  }
  EXPECT_TRUE(messages.empty());
  // The dialog opened where the last picture went.
  ASSERT_EQ(foldersShown.size(), 3u);
  EXPECT_EQ(foldersShown[1], QDir(dir.path()).absolutePath());
}

TEST_F(PictureOut, FailedSaveShowsOneMessageWithThePathAndLeavesNoFile) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
  for (const QString& path : {dir.filePath(QStringLiteral("folder")),
                              dir.filePath(QStringLiteral("missing/picture.png"))}) {
    messages.clear();
    saveAnswer = path;
    Press(windows.status.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(messages.size(), 1u) << path.toStdString();
    EXPECT_EQ(messages[0].rfind(
                  QStringLiteral("ファイル %1 に書き込めません: ").arg(path).toStdString(), 0),
              0u)
        << messages[0];
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList{QStringLiteral("folder")});
  EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("folder"))).isEmpty());
}

TEST_F(PictureOut, KeysTypedIntoACellGoToTheCell) {
  windows.status->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(windows.status.get()));
  status.ui.StringGridData->editItem(status.ui.StringGridData->item(0, 0));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  editor->clear();
  QTest::keyClicks(editor, QStringLiteral("12"));
  QTest::keyClick(editor, Qt::Key_Left);
  QTest::keyClick(editor, Qt::Key_Home);
  QTest::keyClicks(editor, QStringLiteral("x"));
  EXPECT_EQ(editor->text(), QStringLiteral("x12"));
  QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("x12"));
  EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasImage());
}

}  // namespace
