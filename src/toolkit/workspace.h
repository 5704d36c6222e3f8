#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

class IdleRefresh;
class QComboBox;
class QWidget;
class SharedQueries;
struct Settings;

// What the windows below the main window work with: the register's shared queries, the
// settings, the idle-time refresh, the window to parent and centre on, and the few things of
// the main window that the fixed information changes. The main window implements it; a
// window gets it when it is made, and tests may give one of their own.
class Workspace
{
public:
    virtual ~Workspace() = default;

    virtual QWidget *parentWindow() = 0;
    virtual SharedQueries *data() const = 0;
    virtual Settings &settings() = 0;
    virtual IdleRefresh *idleRefresh() const = 0;

    // The program authority's name, as the caption and the reports show it.
    virtual QString programName() const = 0;
    virtual void setProgramName(const QString &name) = 0;
    // The logo picture the main window shows; null when there is none.
    virtual QImage logoPicture() const = 0;

    // A union list of another window: its leading items and whether it takes the union's
    // name or its address. It is filled again whenever the unions change.
    virtual void registerUnionList(QComboBox *list, const QStringList &leadingItems,
                                   bool addresses = false) = 0;
    // The fixed information (authority name, unions, logo) was saved: the union lists, the
    // logo and the caption follow it.
    virtual void fixedInformationChanged() = 0;
};
