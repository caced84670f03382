#pragma once

class QWidget;

// Centres a top-level window, its frame included, on the available area of the screen it is
// on, and again once the window manager has put its frame around it (the frame's size is only
// known then). Call before the window is first shown.
void centreOnScreen(QWidget *window);

// Centres a top-level window, its frame included, at once on the available area of the screen
// the given widget is on (the window's own screen when none is given).
void centreNow(QWidget *window, const QWidget *onScreenOf = nullptr);
