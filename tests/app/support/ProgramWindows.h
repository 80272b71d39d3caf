// The top-level windows another program shows on the test's X display, as xwininfo lists
// them: for end-to-end tests that run Sillaro as a process of its own.
#pragma once

#include <QString>

class QProcess;

// How many of the program windows of the display (those with a window class) carry this name.
int NamedWindowCount(const QString& name);
// Waits until at least `count` windows carry this name, as long as program runs (a loaded
// machine may take a while to map them); false when it ended or the patience ran out.
bool WaitForNamedWindows(QProcess& program, const QString& name, int count, int patienceMs);
