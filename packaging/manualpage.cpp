// Writes the manual page at build time:
//   cubiscope_manualpage TEMPLATE VERSION DATE PAGE
// The synopsis, the description and the options come from the texts that
// --help prints, so that the page and the program cannot tell two stories;
// the rest of the page is written by hand in TEMPLATE, where the lines
// @SYNOPSIS@, @DESCRIPTION@ and @OPTIONS@ stand for those sections' bodies
// and @VERSION@ and @DATE@ for the release.
#include <cstdio>

#include <QFile>
#include <QSaveFile>

#include "app/commandline.h"

namespace {

// text as roff running text. A dash that begins a word (an option, a negative
// number) is a minus sign, which roff would otherwise print as a hyphen and
// which a reader must be able to copy; a hyphen inside a word stays one. A
// line must not begin with a dot or a quote, or roff reads it as a request.
QString Roff(const QString& text) {
  QString out;
  bool minus = false;  // the dash before was a minus sign
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const QChar before = i > 0 ? text[i - 1] : QLatin1Char('\n');
    if (c == QLatin1Char('-')) {
      minus = minus || before.isSpace() || before == QLatin1Char('(') || before == QLatin1Char('[');
      out += minus ? QStringLiteral("\\-") : QStringLiteral("-");
      continue;
    }
    minus = false;
    if (before == QLatin1Char('\n') && (c == QLatin1Char('.') || c == QLatin1Char('\'')))
      out += QStringLiteral("\\&");
    out += c == QLatin1Char('\\') ? QStringLiteral("\\e") : QString(c);
  }
  return out;
}

QString Bold(const QString& text) {
  return QStringLiteral("\\fB") + Roff(text) + QStringLiteral("\\fR");
}

QString Italic(const QString& text) {
  return QStringLiteral("\\fI") + Roff(text) + QStringLiteral("\\fR");
}

// A usage line with the usual fonts: the program and the options bold, the
// values (FILE, PICTURE) italic, the brackets plain.
QString SynopsisLine(const QString& line) {
  QStringList words;
  for (const QString& word : line.split(QLatin1Char(' '))) {
    qsizetype first = 0, last = word.size();
    while (first < last && word[first] == QLatin1Char('['))
      ++first;
    while (last > first && word[last - 1] == QLatin1Char(']'))
      --last;
    const QString core = word.mid(first, last - first);
    QString shown = Roff(core);
    if (core.startsWith(QLatin1Char('-')) || core == QLatin1String("cubiscope"))
      shown = Bold(core);
    else if (!core.isEmpty() && core == core.toUpper() && core.at(0).isLetter())
      shown = Italic(core);
    words.append(word.left(first) + shown + word.mid(last));
  }
  return words.join(QLatin1Char(' '));
}

QString Synopsis(const UsageParts& usage) {
  QStringList lines;
  for (const QString& line : usage.synopsis)
    lines.append(SynopsisLine(line));
  return QStringLiteral(".nf\n") + lines.join(QLatin1Char('\n')) + QStringLiteral("\n.fi");
}

QString Description(const UsageParts& usage) {
  return Roff(usage.description).replace(QStringLiteral("\n\n"), QStringLiteral("\n.PP\n"));
}

// One tagged paragraph an option, as --help lists them, and the file last.
QString Options(const UsageParts& usage) {
  QStringList items;
  for (const QCommandLineOption& option : usage.options) {
    QStringList names;
    for (const QString& name : option.names())
      names.append(Bold((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name));
    QString tag = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
      tag += QLatin1Char(' ') + Italic(option.valueName());
    items.append(QStringLiteral(".TP\n") + tag + QLatin1Char('\n') + Roff(option.description()));
  }
  items.append(QStringLiteral(".TP\n") + Italic(usage.argument) + QLatin1Char('\n') +
               Roff(usage.argumentDescription));
  return items.join(QLatin1Char('\n'));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: cubiscope_manualpage TEMPLATE VERSION DATE PAGE\n", stderr);
    return 2;
  }
  QFile in(QString::fromLocal8Bit(argv[1]));
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cubiscope_manualpage: cannot read %s\n", argv[1]);
    return 1;
  }
  QString page = QString::fromUtf8(in.readAll());
  const UsageParts usage = UsageOf();
  const std::pair<const char*, QString> sections[] = {{"@SYNOPSIS@", Synopsis(usage)},
                                                      {"@DESCRIPTION@", Description(usage)},
                                                      {"@OPTIONS@", Options(usage)}};
  for (const auto& [marker, body] : sections) {
    const QString line = QLatin1Char('\n') + QLatin1String(marker) + QLatin1Char('\n');
    if (!page.contains(line)) {
      std::fprintf(stderr, "cubiscope_manualpage: %s has no line %s\n", argv[1], marker);
      return 1;
    }
    page.replace(line, QLatin1Char('\n') + body + QLatin1Char('\n'));
  }
  page.replace(QStringLiteral("@VERSION@"), QString::fromLocal8Bit(argv[2]));
  page.replace(QStringLiteral("@DATE@"), QString::fromLocal8Bit(argv[3]));
  QSaveFile out(QString::fromLocal8Bit(argv[4]));
  if (!out.open(QIODevice::WriteOnly) || out.write(page.toUtf8()) < 0 || !out.commit()) {
    std::fprintf(stderr, "cubiscope_manualpage: cannot write %s\n", argv[4]);
    return 1;
  }
  return 0;
}
