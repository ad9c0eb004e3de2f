#pragma once
// The program's only contact with the windowing system: the window and its
// OpenGL context, the frame loop, the shutdown, and error output. Everything
// here runs on the window thread, which is the thread that calls winMain and
// the only one that ever calls OpenGL.

namespace vell {

// The exit code of a game that ran: 0 after the window was closed or the
// player died.
extern int quitMessage;

// Writes a windowing error to the error log: "<name>.\nError code <n>:\n"
// followed by the system's text and a line break (a null name counts as
// "Untitled error"). Like every error line, it also goes to standard error.
void outputError(const char *name);

// Start-up, frame loop and shutdown. Returns the exit code: quitMessage after
// a game, 1 after a failed start-up. If a thread does not end within the
// shutdown waits, the process ends here instead, with the same exit code.
int winMain(int argc, char **argv);

} // namespace vell
