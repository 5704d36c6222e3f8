#include "passwordgate.h"

#include "profilestore.h"
#include "tgetpasswdfrm.h"

namespace passwordgate {

bool check(const ProfileStore &store, bool onlyIfActive, QWidget *parent)
{
    if (onlyIfActive && !store.readActive())
        return true;
    return TGetPassWdFrm::execute([&store](const QString &entry) { return store.check(entry); },
                                  parent);
}

bool atStartUp(QWidget *mainWindow)
{
    return check(ProfileStore(), true, mainWindow);
}

} // namespace passwordgate
