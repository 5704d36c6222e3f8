#pragma once

#include <QObject>

class QWidget;
class TForm1;

// The member browser: all staff, the name search, the union and blood-group filters and
// the detail pages of the current person, inside the main window's PanelPersonel.
class MemberBrowser : public QObject
{
    Q_OBJECT
public:
    MemberBrowser(TForm1 *form, QWidget *panel);
    // "Personel Ara" has reopened QueryPersonel with all staff: empty the search box.
    void shown();

private:
    TForm1 *m_form;
    QWidget *m_panel;
};
