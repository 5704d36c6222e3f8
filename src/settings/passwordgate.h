#pragma once

class ProfileStore;
class QWidget;

// The password gate in front of the program's window.
namespace passwordgate {

// With `onlyIfActive`, asks nothing and says yes while protection is off; otherwise asks for
// the stored password and says yes exactly when it was given.
bool check(const ProfileStore &store, bool onlyIfActive, QWidget *parent);

// The start-up gate, over the main window just shown: asks only while protection is on.
// When it says no the program must end at once.
bool atStartUp(QWidget *mainWindow);

} // namespace passwordgate
