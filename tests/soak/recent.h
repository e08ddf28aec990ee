#pragma once
// The last actions of a soak, kept for its reports: a crash, a sanitizer
// report or a failed check prints them with the seed and the number of the
// last action, so that the same sequence can be run again with
// --seed S --actions K.

#include <cstdint>
#include <string_view>

// Remembers seed for the reports and prints the recent actions when the
// program dies of a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT;
// the signal then takes its previous course) or of a sanitizer report.
void StartRecentActions(std::uint64_t seed);

// Keeps the description of action number (1-based), replacing the oldest of
// the last 20. A description longer than a line of the report is cut.
void NoteAction(std::uint64_t number, std::string_view description);

// Prints the recent actions, oldest first, and the command that repeats the
// run up to the last of them, to standard error. Safe in a signal handler.
void PrintRecentActions();
