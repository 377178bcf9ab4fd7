// The command line of kitsim.exe: small commands that change the simulated
// boxes or print their state, for scripts, tests and the demo.
//
// The shared control exists only while some process holds it open. A command
// that finds nobody else holding it creates it, changes it and takes it down
// again when it exits, so its change is lost: start the virtual input box or
// "kitsim serve" first (tests hold it themselves).
#pragma once

namespace kitsim {

// Exit codes of the command line.
constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;   // the shared control could not be opened
constexpr int exitBadUsage = 2;  // unknown command or bad argument; the usage is printed

// Runs the command of `arguments` (without the program name). Returns the
// exit code.
int RunCommand(int count, wchar_t** arguments);

}  // namespace kitsim
