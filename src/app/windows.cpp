#include "windows.h"

#include "tform1.h"

void createWindows(TForm1 *form)
{
    Q_UNUSED(form)
}
