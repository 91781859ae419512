#pragma once
// The program's start-up sequence: splash, main window, message loop.

int RunReelix(int argc, char** argv);
