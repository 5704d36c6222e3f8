#pragma once

#include "restore.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class SharedQueries;

// " Yedekten Geri Yükle": puts a backup in the place of the register in use. The user picks
// one of the safety copies in Yedekler/ (newest first, with their date and their unit and
// staff counts) or any file with the file dialog. The backup is checked before anything
// changes; the register in use is first saved as a safety copy; then the backup replaces it
// and the program works on it at once. Created once.
class TFrmGeriYukle : public QDialog
{
    Q_OBJECT
public:
    TFrmGeriYukle(SharedQueries *data, QWidget *parent);

    // Before the register is replaced: false when it cannot be now (the program is still
    // reading it). After it has been opened again: the windows that show it catch up.
    void setBeforeRestore(std::function<bool()> before) { m_beforeRestore = std::move(before); }
    void setAfterRestore(std::function<void()> after) { m_afterRestore = std::move(after); }

    // Shows the window modally, centred on the main window, with the safety copies listed
    // afresh.
    void execute();

    // The chosen backup: a listed safety copy or a file picked with the dialog.
    QString chosen() const;

    void ListView1Click();
    void Button1Click();
    void Button2Click();

private:
    void listSafetyCopies();
    void choose(const QString &path);
    bool confirmed(const QString &backup);
    void report(const maintenance::Restore &restore, bool ok);

    SharedQueries *m_data;
    std::function<bool()> m_beforeRestore;
    std::function<void()> m_afterRestore;
    QLabel *m_label2 = nullptr;
    QTreeWidget *m_listView1 = nullptr;
    QLineEdit *m_edit1 = nullptr;
    QPushButton *m_button2 = nullptr;
};
