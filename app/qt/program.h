#pragma once

namespace lumox {

// The Qt program from start to end: checks that there is a display, makes the application
// with the program's look and identity, shows the splash window (which hands over to the main
// window) and runs the event loop. Returns the program's exit status: 1 without a display,
// otherwise what the event loop ends with. Call it once, from main(), with main()'s arguments;
// Qt may take its own options out of them.
//
// It lives in the front end's library, not in the executable's own file, so that the
// executable compiles nothing of Qt's.
int runProgram(int argc, char **argv);

} // namespace lumox
