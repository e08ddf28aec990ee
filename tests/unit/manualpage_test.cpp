// The manual page as a reader sees it, against what --help prints.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include "app/commandline.h"

namespace {

QStringList Words(QString text) {
  // --help shows a value as <FILE>, the page as FILE in italics.
  text.remove(QRegularExpression(QStringLiteral("[<>]")));
  return text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

// The page is written from the program's own texts at build time; set in
// type, its options must say word for word what --help says, so that an
// escape that loses a word, an option left out or a page not written again
// after the options changed shows here.
TEST(ManualPage, SaysWhatHelpSaysOfEachOption) {
  QProcess groff;
  // Plain text without hyphenation, so that every word stays whole.
  groff.start(
      QStringLiteral("groff"),
      {QStringLiteral("-k"), QStringLiteral("-man"), QStringLiteral("-Tascii"),
       QStringLiteral("-P-cbou"), QStringLiteral("-rHY=0"), QStringLiteral(CUBISCOPE_MANUAL_PAGE)});
  ASSERT_TRUE(groff.waitForFinished(30000));
  ASSERT_EQ(groff.exitCode(), 0) << groff.readAllStandardError().toStdString();
  const QString page = QString::fromUtf8(groff.readAllStandardOutput());
  // From the heading to the next one; headings begin at the margin.
  const QRegularExpressionMatch options =
      QRegularExpression(QStringLiteral("\\nOPTIONS\\n(.*?)\\n[A-Z]"),
                         QRegularExpression::DotMatchesEverythingOption)
          .match(page);
  ASSERT_TRUE(options.hasMatch()) << page.toStdString();

  const QString help = UsageText();
  QStringList helpWords = Words(help.mid(help.indexOf(QStringLiteral("\nOptions:\n"))));
  helpWords.removeAll(QStringLiteral("Options:"));
  helpWords.removeAll(QStringLiteral("Arguments:"));
  EXPECT_EQ(Words(options.captured(1)), helpWords);
}

}  // namespace
