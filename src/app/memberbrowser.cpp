#include "memberbrowser.h"

#include "tform1.h"

MemberBrowser::MemberBrowser(TForm1 *form, QWidget *panel) : QObject(form), m_form(form), m_panel(panel) {}

void MemberBrowser::shown() {}
