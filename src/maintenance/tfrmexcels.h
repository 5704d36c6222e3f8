#pragma once

#include <QDialog>
#include <QStyle>
#include <functional>

class DBEdit;
class Dataset;
class QToolButton;

// The record editor of the staged rows: six boxes on the import list's current row and a
// navigator. Created for each double-click on the list and freed after it closes.
class TFrmExcels : public QDialog
{
    Q_OBJECT
public:
    TFrmExcels(Dataset *staging, QWidget *parent);

    DBEdit *edit(int number) const { return m_edits.value(number - 1); }

public Q_SLOTS:
    // "Kapat", Escape: a changed row is saved first; a row the table refuses keeps the
    // editor open.
    void reject() override;

private:
    QWidget *buildFields();
    QWidget *buildNavigator();
    QToolButton *navigatorButton(QWidget *bar, const char *objectName, const char *hint,
                                 QStyle::StandardPixmap icon, std::function<void()> action);
    void updateNavigator();

    Dataset *m_staging;
    QList<DBEdit *> m_edits;
    QToolButton *m_first = nullptr;
    QToolButton *m_prior = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_last = nullptr;
    QToolButton *m_insert = nullptr;
    QToolButton *m_delete = nullptr;
    QToolButton *m_post = nullptr;
    QToolButton *m_cancel = nullptr;
};
