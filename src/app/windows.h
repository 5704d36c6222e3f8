#pragma once

class TForm1;

// Creates the long-lived windows in their start-up order, after the main window, and
// connects them to the main window's commands. They live as long as the main window.
void createWindows(TForm1 *form);
