#pragma once

#include <QDialog>

class DBEdit;
class RecordActions;
class Workspace;

// The unit form: adds, edits, browses and deletes units. It holds no data of its own; its
// boxes show the current row of the main window's unit query, so the unit browser follows
// every move and change made here.
class TKurumKayit : public QDialog
{
    Q_OBJECT
public:
    explicit TKurumKayit(Workspace *workspace);

    // Shows the form modally on the unit query's current row.
    void execute();

    void ToolButton1Click(); // New
    void ToolButton2Click(); // Delete
    void DBEdit5Enter();

    DBEdit *edit(int number) const { return m_edits.value(number - 1); }
    RecordActions *recordActions() const { return m_actions; }

public Q_SLOTS:
    // Every way of closing the form (TAMAM, the close box) comes here.
    void reject() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildFields();
    QWidget *buildButtons();
    // The close question; false when the form has to stay open.
    bool FormClose();

    Workspace *m_form;
    QList<DBEdit *> m_edits;
    RecordActions *m_actions = nullptr;
};
