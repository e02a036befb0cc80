#pragma once
// The program's run: application object, clock, dialogs, context and main window.

#include <functional>

namespace k52 {

class mdifrmMain;

// Runs the program until its main window closes. onStarted, when given, runs right after
// the start-up sequence (benchmarks measure up to that point).
int runProgram(int argc, char** argv, const std::function<void(mdifrmMain&)>& onStarted = {});

}  // namespace k52
