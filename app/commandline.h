#pragma once
// The command line:
//   cubiscope [--watch] [--colours FILE] [FILE]
//   cubiscope --output PICTURE [--size WxH] [--turn DEG] [--tilt DEG] [--zoom N]
//             [--bands N] [--show LIST] [--planes X,Y,Z] [--turntable N] [--colours FILE]
//             [FILE...]
//   cubiscope --profile CSV [--planes X,Y,Z] [--output PICTURE ...] [FILE...]
//   cubiscope --help | --version
// The options and the usage text are defined in one place, commandline.cpp,
// and read without a window or a display, so that --help works anywhere.
// The manual page is written from the same texts.

#include <optional>
#include <vector>

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/picturerequest.h"

// What the command line asks for.
struct CommandLine {
  QString file;         // absolute path; empty when none was named (--output: the first)
  QString coloursFile;  // --colours, absolute: loaded as a file dropped with Shift
  bool watch = false;   // --watch: load the files again whenever they change
  // --output, absolute: draw the pictures to files and exit without any
  // window. Empty: start the windows.
  QString output;
  // --profile, absolute: write the sections along the x and y planes as CSV
  // files, with or without --output, and exit without any window.
  QString profile;
  // --export-mesh, absolute: write the surface's mesh (its settings in
  // picture.mesh), with or without --output, and exit without any window.
  QString mesh;
  // What --output and --profile draw and write: the options of every
  // picture, whose colours file is coloursFile, and one entry per FILE
  // (outputpaths.h), or one of no FILE.
  PictureRequest picture;
  std::vector<OutputPicture> pictures;
};

// What reading the arguments came to: options to start with, or a text to
// print and an exit status instead of starting.
struct CommandLineOutcome {
  CommandLine options;
  // Set when the program should not start: 0 after --help or --version (text
  // goes to standard output), 2 for a wrong command line (text goes to standard
  // error).
  std::optional<int> exitCode;
  QString text;
};

// argv[0 .. argc) as text, the way the application object would read them.
QStringList ArgumentsOf(int argc, char** argv);

// Reads arguments (the program's name first, as in argv). Relative file names
// are made absolute against the current folder. A picture option without
// --output, --watch with --output or without a file, a value out of its
// range, more than one FILE without --output, PICTURE paths that
// MakeOutputPaths refuses, or --turntable with a PICTURE that holds no
// {frame} and does not end in .webp (or one that does both), is a wrong
// command line. Never throws.
CommandLineOutcome ReadCommandLine(const QStringList& arguments);

// The usage text that --help prints.
QString UsageText();

// The texts of the usage, one by one, for the manual page.
struct UsageParts {
  QStringList synopsis;               // the usage lines, each beginning with the program's name
  QString description;                // paragraphs separated by an empty line
  QList<QCommandLineOption> options;  // in the order --help lists them
  QString argument;                   // the name of the one positional argument
  QString argumentDescription;
};
UsageParts UsageOf();
