#pragma once

struct ViewSettings;
class QWidget;

// Where and how large the main window was left, and putting it back there.
// A maximised window keeps the place and size it had before it was
// maximised, and is maximised again.

// Writes the window's place, size and maximised state into view (nothing
// for a window never shown: it has no place of its own).
void storeWindowPlace(const QWidget *window, ViewSettings &view);

// Before the window is first shown: its size (never below its smallest),
// its place when that is still reachable on a screen, maximised when it was.
void restoreWindowPlace(QWidget *window, const ViewSettings &view);
