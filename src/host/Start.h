// StartFramework: the one entry of the framework. Builds everything in a
// fixed order, calls the game's main function once, and tears the
// framework down when it returns.
#pragma once

#include <functional>

#include "core/String.h"

class TApp;

using TGameMain = void (*)(TApp& app, const TString& commandLine);

// Runs the framework around gameMain. commandLine is the program's
// arguments joined into one text (JoinCommandLine). Returns the exit code
// for the process: the code given to TApp::Quit, or -1 when the main window
// cannot be opened. Ends the process itself for a second instance (0) and
// for "-wnd=" (-1: there are no parent windows to embed in here).
int StartFramework(const TString& commandLine, TGameMain gameMain, bool allowMultiple);

// Observes the start-up and shutdown steps by name (tests); null stops it.
void SetStartTrace(std::function<void(const char* step)> trace);

// The optional test-harness library beside the program.
inline constexpr const char* kHarnessLibrary = "qvHarness.so";
