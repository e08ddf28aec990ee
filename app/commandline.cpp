#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>

namespace {

// The usage line names the program as installed, whatever path it was
// started by: the text is also the source of the manual page.
constexpr char kUsageLine[] = "Usage: cubiscope [options] [FILE]";

// Every option, its description and the usage text come from here.
struct Parser {
  QCommandLineParser parser;
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("Show this help and exit.")};
  QCommandLineOption colours{
      QStringLiteral("colours"),
      QStringLiteral("Load the picture FILE as the volume of its colour counts instead of as a "
                     "height field.")};

  Parser() {
    parser.setApplicationDescription(QStringLiteral(
        "A viewer of three-dimensional data in the unit cube.\n"
        "\n"
        "FILE is loaded as if it had been dropped on the main window: a picture (BMP,\n"
        "PNG, JPEG, GIF, TIFF, WebP or another format that Qt's image plugins read,\n"
        "told by its content, not its name) as a height field, its brightness becoming\n"
        "the height; any other file as point-grid text: one x, y, z point a line,\n"
        "separated by commas or blanks, a blank line after each row of points."));
    parser.addOption(help);
    parser.addOption(colours);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A picture or a point-grid text file."));
  }

  // QCommandLineParser's own usage line names the program from the
  // application object, which does not exist yet when the arguments are read.
  QString Usage() const {
    const QString text = parser.helpText();
    return QLatin1String(kUsageLine) + text.mid(text.indexOf(QLatin1Char('\n')));
  }
};

}  // namespace

QStringList ArgumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments.append(QString::fromLocal8Bit(argv[i]));
  return arguments;
}

CommandLineOutcome ReadCommandLine(const QStringList& arguments) {
  Parser p;
  CommandLineOutcome outcome;
  QString error;
  if (!p.parser.parse(arguments)) {
    error = p.parser.errorText();
  } else if (p.parser.isSet(p.help)) {
    outcome.exitCode = 0;
    outcome.text = p.Usage();
    return outcome;
  } else if (p.parser.positionalArguments().size() > 1) {
    error = QStringLiteral("Only one FILE can be named.");
  }
  if (!error.isEmpty()) {
    outcome.exitCode = 2;
    outcome.text = error + QLatin1Char('\n') + p.Usage();
    return outcome;
  }
  outcome.options.colours = p.parser.isSet(p.colours);
  if (!p.parser.positionalArguments().isEmpty())
    outcome.options.file =
        QFileInfo(p.parser.positionalArguments().constFirst()).absoluteFilePath();
  return outcome;
}

QString UsageText() {
  return Parser().Usage();
}
