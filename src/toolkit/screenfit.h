#pragma once

class QRect;
class QWidget;

// Keeps the program's windows within the part of the screen that windows may use (the screen
// without its panels and docks): none larger than that area, none placed off it. With a large
// screen scaling (twice, on a small laptop screen) the designed sizes no longer fit.
namespace screenfit
{

// The area that windows may use on the screen that `window` is on, or is to appear on.
QRect availableArea(const QWidget *window);

// Shrinks the window, and the least size it may take, to the available area, its frame
// included, and moves it so that it lies wholly on that area. A maximised or full-screen
// window only has its least size shrunk: the window system places it.
void fit(QWidget *window);

// From now on every window and dialog of the program, Qt's own included, is fitted each time
// it is shown. Safe to call more than once.
void fitEveryWindow();

} // namespace screenfit
