#pragma once
// The body of the entry function: creates the main window and then the other
// windows, in that order, and runs the message loop until the main window
// closes. Any exception that escapes is shown; the result is always 0.

class cApplication;

int RunCubiscope(cApplication& application);
