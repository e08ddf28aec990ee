#include <optional>

#include <gtest/gtest.h>

#include "input/opendialog.h"

namespace {

// Replaces the modal step for one test.
class ScriptedChooser {
 public:
  explicit ScriptedChooser(std::optional<TOpenDialog::Choice> answer) {
    previous = TOpenDialog::SetChooser([this, answer](const TOpenDialog& dialog) {
      seenFilterIndex = dialog.FilterIndex;
      seenFileName = dialog.FileName;
      return answer;
    });
  }
  ~ScriptedChooser() { TOpenDialog::SetChooser(previous); }
  int seenFilterIndex = 0;
  QString seenFileName;

 private:
  TOpenDialog::Chooser previous;
};

const QString kFilter =
    QStringLiteral("CSV Files|*.csv|Text Files|*.txt|BMP Files|*.bmp|All Files|*.*");

TEST(OpenDialog, ListsTheFilterEntries) {
  EXPECT_EQ(TOpenDialog(kFilter).NameFilters(),
            (QStringList{"CSV Files (*.csv)", "Text Files (*.txt)", "BMP Files (*.bmp)",
                         "All Files (*.*)"}));
}

TEST(OpenDialog, KeepsFilterAndNameOfTheLastConfirmedChoice) {
  TOpenDialog dialog(kFilter);
  {
    ScriptedChooser chooser(TOpenDialog::Choice{QStringLiteral("/data/a.bmp"), 3});
    EXPECT_TRUE(dialog.Execute(nullptr));
    EXPECT_EQ(chooser.seenFilterIndex, 1);
    EXPECT_TRUE(chooser.seenFileName.isEmpty());
  }
  EXPECT_EQ(dialog.FilterIndex, 3);
  EXPECT_EQ(dialog.FileName, QStringLiteral("/data/a.bmp"));
  {
    // Cancel: both stay; the next use opens where the last one left off.
    ScriptedChooser chooser(std::nullopt);
    EXPECT_FALSE(dialog.Execute(nullptr));
    EXPECT_EQ(chooser.seenFilterIndex, 3);
    EXPECT_EQ(chooser.seenFileName, QStringLiteral("/data/a.bmp"));
  }
  EXPECT_EQ(dialog.FilterIndex, 3);
  EXPECT_EQ(dialog.FileName, QStringLiteral("/data/a.bmp"));
}

TEST(OpenDialog, AcceptsANameThatDoesNotExist) {
  TOpenDialog dialog(kFilter);
  ScriptedChooser chooser(TOpenDialog::Choice{QStringLiteral("/no/such/file.csv"), 1});
  EXPECT_TRUE(dialog.Execute(nullptr));
  EXPECT_EQ(dialog.FileName, QStringLiteral("/no/such/file.csv"));
}

}  // namespace
