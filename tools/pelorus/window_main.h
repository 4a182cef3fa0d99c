#pragma once
// The desktop window of pelorus: with no option, or only --config FILE and --start.

// True when the arguments ask for the window (nothing but --config FILE and --start).
bool WantsWindow(int argc, char** argv);
// Opens the main window; --start presses Start as soon as it is up (an operator's autostart).
int RunWindow(int argc, char** argv);
