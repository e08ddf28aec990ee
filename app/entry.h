#pragma once
// The body of the entry function: creates the main window and then the other
// windows, in that order, opens the file the command line names, and runs the
// message loop until the main window closes. Any exception that escapes is
// shown; the result is always 0.

class cApplication;
struct CommandLine;

int RunCubiscope(cApplication& application, const CommandLine& commandLine);

// Loads commandLine's files, once the message loop runs, exactly as if they
// had been dropped on the main window (TFormStatus::OpenFile): the colours
// file first as if dropped with Shift held, then the file. The windows are up
// first, and an error is shown in the message box after the redraw. With
// watch, switches "Reload when the file changes" on first. Needs FormStatus;
// nothing happens if it is gone by then.
void OpenAfterStartUp(const CommandLine& commandLine);
