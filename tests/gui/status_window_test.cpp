// The Status window, driven through its real controls.
#include <gtest/gtest.h>

#include <optional>

#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QTest>
#include <QTimer>

#include "app/formroot.h"
#include "app/windows.h"
#include "base/errors.h"
#include "input/decimalsymbol.h"
#include "input/formstatus.h"
#include "view/messagebox.h"

namespace {

class StatusWindow : public testing::Test {
 protected:
  void TearDown() override {
    QLocale::setDefault(QLocale::c());
    RereadDecimalSeparator();
  }

  // Types text into a cell of the table and runs the shared state handler.
  void EnterCell(int column, int row, const QString& text) {
    status.ui.StringGridData->item(row - 1, column)->setText(text);
    status.ChangeState();
  }

  TFormRoot root;
  cOpenGLGraph& graph = root.ui.FrameCubiscope1->View();
  TFormStatus status{graph};
};

TEST_F(StatusWindow, WindowIsAFixedAlwaysOnTopDialogTitledStatus) {
  EXPECT_EQ(status.windowTitle(), QStringLiteral("Status"));
  EXPECT_EQ(status.size(), QSize(325, 399));
  EXPECT_EQ(status.minimumSize(), status.maximumSize());
  const Qt::WindowFlags flags = status.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinMaxButtonsHint);
  EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
}

TEST_F(StatusWindow, ControlsStandWhereTheLayoutPutsThem) {
  struct Control {
    QWidget* widget;
    QRect geometry;
    bool visible;
  };
  const Control controls[] = {
      {status.ui.ButtonCopy, {8, 8, 75, 25}, true},
      {status.ui.CheckBoxDisp3D, {240, 288, 65, 17}, true},
      {status.ui.CheckBoxDispXY, {240, 304, 65, 17}, true},
      {status.ui.CheckBoxDispYZ, {240, 320, 65, 17}, true},
      {status.ui.CheckBoxDispZX, {240, 336, 65, 17}, true},
      {status.ui.ButtonLoad, {8, 344, 75, 25}, false},
      {status.ui.ButtonLoadBMP, {232, 256, 75, 25}, true},
      {status.ui.EditLevel, {256, 56, 25, 20}, true},
      {status.ui.UpDownLevel, {281, 56, 15, 20}, true},
      {status.ui.StringGridData, {8, 48, 209, 289}, true},
      {status.ui.TrackBarX, {232, 80, 17, 150}, true},
      {status.ui.TrackBarY, {248, 80, 17, 150}, true},
      {status.ui.TrackBarZ, {264, 80, 17, 150}, true},
      {status.ui.ButtonLoadBMP2, {96, 344, 75, 25}, false},
      {status.ui.Label, {64, 376, 60, 13}, false},
  };
  status.show();
  for (const Control& c : controls) {
    EXPECT_EQ(c.widget->geometry(), c.geometry) << c.widget->objectName().toStdString();
    EXPECT_EQ(c.widget->isVisible(), c.visible) << c.widget->objectName().toStdString();
  }
  EXPECT_EQ(status.ui.Label->text(), QStringLiteral("↑テスト中↑"));
  EXPECT_EQ(status.ui.LabelLevel->text(), QStringLiteral("階調"));
  EXPECT_EQ(status.ui.UpDownLevel->minimum(), 1);
  EXPECT_EQ(status.ui.UpDownLevel->maximum(), 8);
  EXPECT_EQ(status.ui.UpDownLevel->value(), 3);
  EXPECT_EQ(status.ui.EditLevel->text(), QStringLiteral("3"));
  for (QSlider* slider : {status.ui.TrackBarX, status.ui.TrackBarY, status.ui.TrackBarZ}) {
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 1000);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_TRUE(slider->invertedAppearance()) << "minimum at the top";
  }
  EXPECT_EQ(status.ui.StringGridData->columnCount(), 3);
  EXPECT_EQ(status.ui.StringGridData->rowCount() + 1, 10) << "nine rows under the header";
}

TEST_F(StatusWindow, StartsWithEightPointsAndItsObjectsInTheViewsLists) {
  ASSERT_EQ(status.line.count, 8u);
  EXPECT_EQ(status.Cell(0, 1), QStringLiteral("0.000000"));
  EXPECT_EQ(status.Cell(0, 8), QStringLiteral("0.875000"));
  EXPECT_EQ(status.Cell(1, 8), QStringLiteral("0.218750"));
  EXPECT_EQ(status.Cell(2, 8), QStringLiteral("0.437500"));
  EXPECT_EQ(status.Cell(0, 9), QString());
  EXPECT_EQ(status.Cell(0, 0), QString()) << "the header row stays empty";
  EXPECT_EQ(status.line.vertices[7], (Vec3{0.875, 0.21875, 0.4375}));
  EXPECT_EQ(graph.preObjects, (std::vector<cOpenGLGraph_Data*>{&status.line, &status.surface}));
  EXPECT_EQ(graph.postObjects, (std::vector<cOpenGLGraph_Data*>{&status.volume}));
  EXPECT_EQ(status.surface.ramp.Size(), 8u);
  EXPECT_EQ(status.volume.ramp.Size(), 8u);
}

struct CellCase {
  const char* typed;
  char separator;
  double value;  // the coordinate afterwards (starts at 0.5)
  const char* shown;
};

void PrintTo(const CellCase& c, std::ostream* os) {
  *os << '"' << c.typed << "\" with '" << c.separator << "'";
}

class CellEdit : public StatusWindow, public testing::WithParamInterface<CellCase> {};

TEST_P(CellEdit, IsTakenOrRestoredAndRewritten) {
  const CellCase& c = GetParam();
  status.line.vertices[3].y = 0.5;
  QLocale::setDefault(c.separator == ',' ? QLocale(QLocale::German) : QLocale::c());
  RereadDecimalSeparator();
  EnterCell(1, 4, QString::fromUtf8(c.typed));
  EXPECT_EQ(status.line.vertices[3].y, c.value);
  EXPECT_EQ(status.Cell(1, 4).toStdString(), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CellEdit,
    testing::Values(CellCase{"abc", '.', 0.5, "0.500000"}, CellCase{".", '.', 0.0, "0.000000"},
                    CellCase{"-.", '.', -0.0, "-0.000000"}, CellCase{"1e-1", '.', 0.1, "0.100000"},
                    CellCase{"1e", '.', 1.0, "1.000000"}, CellCase{"e5", '.', 0.5, "0.500000"},
                    CellCase{"1.2.3", '.', 0.5, "0.500000"}, CellCase{"0x10", '.', 0.5, "0.500000"},
                    CellCase{"", '.', 0.5, "0.500000"}, CellCase{" ", '.', 0.5, "0.500000"},
                    CellCase{"1e5000", '.', 0.5, "0.500000"},
                    CellCase{"-2.5", '.', -2.5, "-2.500000"}, CellCase{"0,5", ',', 0.5, "0.500000"},
                    CellCase{"0,25", ',', 0.25, "0.250000"},
                    CellCase{"0.25", ',', 0.5, "0.500000"}));

TEST_F(StatusWindow, OverflowEndsTheHandlerMidway) {
  status.ui.TrackBarX->blockSignals(true);
  status.ui.TrackBarX->setValue(500);
  status.ui.TrackBarX->blockSignals(false);
  status.ui.StringGridData->item(1, 0)->setText(QStringLiteral("0.75"));   // row 2, x
  status.ui.StringGridData->item(1, 1)->setText(QStringLiteral("1e400"));  // row 2, y
  status.ui.StringGridData->item(2, 0)->setText(QStringLiteral("0.9"));    // row 3, x
  EXPECT_THROW(status.ChangeState(), cOverflow);
  EXPECT_EQ(status.line.vertices[1].x, 0.75) << "cells before the failing one are taken";
  EXPECT_EQ(status.line.vertices[1].y, 0.03125) << "the failing coordinate keeps its value";
  EXPECT_EQ(status.Cell(1, 2), QStringLiteral("1e400")) << "the row is not rewritten";
  EXPECT_EQ(status.line.vertices[2].x, 0.25) << "later rows are not read";
  EXPECT_EQ(graph.planeX.origin.x, 0.0) << "the planes do not move";
}

TEST_F(StatusWindow, SwitchesReachLineAndSurfaceButNotTheVolume) {
  status.show();
  QTest::mouseClick(status.ui.CheckBoxDisp3D, Qt::LeftButton);
  QTest::mouseClick(status.ui.CheckBoxDispXY, Qt::LeftButton);
  for (const cOpenGLGraph_Data* object : {static_cast<const cOpenGLGraph_Data*>(&status.line),
                                          static_cast<const cOpenGLGraph_Data*>(&status.surface)}) {
    EXPECT_EQ(object->disp3D, 0);
    EXPECT_EQ(object->dispXY, 1);
    EXPECT_EQ(object->dispYZ, 0);
    EXPECT_EQ(object->dispZX, 0);
  }
  EXPECT_EQ(status.volume.disp3D, 1);
  EXPECT_EQ(status.volume.dispXY, 0);
}

TEST_F(StatusWindow, SlidersMoveThePlanes) {
  status.ui.TrackBarZ->setValue(1000);
  status.ui.TrackBarX->setValue(250);
  status.ui.TrackBarY->setValue(1);
  EXPECT_EQ(graph.planeZ.origin.z, 1.0);
  EXPECT_EQ(graph.planeX.origin.x, 0.25);
  EXPECT_EQ(graph.planeY.origin.y, 0.001);
}

TEST_F(StatusWindow, SpinnerSetsTheSurfacesBandsOnly) {
  for (const auto& [position, bands] : {std::pair{1, 1u}, {8, 128u}, {3, 4u}}) {
    status.ui.UpDownLevel->setValue(position);
    EXPECT_EQ(status.surface.ramp.Size(), bands) << position;
    EXPECT_EQ(status.ui.EditLevel->text(), QString::number(position));
  }
  EXPECT_EQ(status.volume.ramp.Size(), 8u);
}

TEST_F(StatusWindow, CopyPutsThePictureOnTheClipboard) {
  graph.Draw();
  QTest::mouseClick(status.ui.ButtonCopy, Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            graph.Picture());
}

TEST_F(StatusWindow, LeavingTheTableAppliesItsEditsMovingWithinItDoesNot) {
  status.show();
  status.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&status));
  QTableWidget* grid = status.ui.StringGridData;
  grid->setFocus();
  grid->setCurrentCell(0, 0);
  grid->item(0, 0)->setText(QStringLiteral("0.5"));
  grid->setCurrentCell(0, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(status.line.vertices[0].x, 0.0) << "moving between cells is no exit";

  status.ui.CheckBoxDispYZ->setFocus();
  QCoreApplication::processEvents();
  EXPECT_EQ(status.line.vertices[0].x, 0.5);
  EXPECT_EQ(status.Cell(0, 1), QStringLiteral("0.500000"));
}

// A click on a switch both leaves the table and runs the shared handler: the
// table is read once, so a number too large shows one message, not two.
TEST_F(StatusWindow, LeavingTheTableByAClickOnASwitchReadsItOnce) {
  std::vector<QString> messages;
  const MessageBoxHook previous =
      SetMessageBoxHook([&messages](const MessageBoxRequest& r) { messages.push_back(r.text); });
  status.show();
  status.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&status));
  struct Row {
    const char* text;
    std::uint64_t redraws;
    std::size_t messages;
  };
  for (const Row& row : {Row{"0.5", 1, 0}, Row{"1e400", 0, 1}}) {
    messages.clear();
    QTableWidget* grid = status.ui.StringGridData;
    grid->setFocus();
    grid->item(0, 0)->setText(QString::fromLatin1(row.text));
    const std::uint64_t frames = graph.FramesPresented();
    QTest::mouseClick(status.ui.CheckBoxDispXY, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(graph.FramesPresented(), frames + row.redraws) << row.text;
    EXPECT_EQ(messages.size(), row.messages) << row.text;
  }
  SetMessageBoxHook(previous);
}

// A quick click on a button that leaves the table (press and release come
// together, before the table's exit has run) acts as a slower one does: the
// table is read first, and a number too large shows its one message and ends
// the click, so that no dialog opens over it and nothing is copied.
TEST_F(StatusWindow, LeavingTheTableByAClickOnAButtonReadsItFirst) {
  std::vector<QString> messages;
  const MessageBoxHook previousBox =
      SetMessageBoxHook([&messages](const MessageBoxRequest& r) { messages.push_back(r.text); });
  int dialogs = 0;
  const TOpenDialog::Chooser previousOpen = TOpenDialog::SetChooser([&dialogs](const TOpenDialog&) {
    ++dialogs;
    return std::optional<TOpenDialog::Choice>();
  });
  status.show();
  status.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&status));
  struct Row {
    QPushButton* button;
    const char* text;
    bool acts;  // a dialog opens, the picture is copied
    double x;   // the first point's x afterwards
  };
  const Row rows[] = {
      {status.ui.ButtonLoadBMP, "0.5", true, 0.5},
      {status.ui.ButtonLoadBMP, "1e400", false, 0.5},
      {status.ui.ButtonCopy, "0.25", true, 0.25},
      {status.ui.ButtonCopy, "-2e308", false, 0.25},
  };
  for (const Row& row : rows) {
    const std::string name = row.button->objectName().toStdString() + " " + row.text;
    messages.clear();
    dialogs = 0;
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTableWidget* grid = status.ui.StringGridData;
    grid->setFocus();
    grid->item(0, 0)->setText(QString::fromLatin1(row.text));
    QTest::mouseClick(row.button, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(messages.size(), row.acts ? 0u : 1u) << name;
    const bool copied = !QGuiApplication::clipboard()->image().isNull();
    EXPECT_EQ(dialogs + (copied ? 1 : 0), row.acts ? 1 : 0) << name;
    EXPECT_EQ(status.line.vertices[0].x, row.x) << name << ": the table was read";
  }
  TOpenDialog::SetChooser(previousOpen);
  SetMessageBoxHook(previousBox);
}

TEST_F(StatusWindow, ClosingTheMainWindowEndsTheProgramWithStatusOpen) {
  root.show();
  status.show();
  QTimer::singleShot(0, &root, [this] { root.close(); });
  // exec returns only because closing the main window quits.
  EXPECT_EQ(QCoreApplication::exec(), 0);
}

// Ending the program while a control of the Status window has the focus and
// an edit: the windows go, the main window with its view first, and the
// control loses the focus on the way, but no handler of the window runs any
// more (its members and the view it draws through are gone).
TEST(StatusWindowClosing, RunsNoHandlerOfTheControlLosingTheFocus) {
  std::optional<Windows> windows = OpenWindows();
  TFormStatus& status = *windows->status;
  status.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&status));
  QLineEdit* level = status.ui.EditLevel;
  level->setFocus();
  QTest::keyClick(level, Qt::Key_5);
  int levelChanges = 0;
  QObject watcher;
  QObject::connect(status.ui.UpDownLevel, &QSpinBox::valueChanged, &watcher,
                   [&levelChanges] { ++levelChanges; });
  windows.reset();
  EXPECT_EQ(levelChanges, 0);
}

}  // namespace
