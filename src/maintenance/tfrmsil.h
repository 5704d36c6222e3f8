#pragma once

#include <QDialog>

class IdleRefresh;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class SharedQueries;

// "  Toplu Kayıt Silme": deletes, after a question, the unions, staff, units, fixed
// information and program authority that the main window lists, each kind in one
// transaction. A verified safety copy of Data.dat is taken first, into "Yedekler" beside the
// program. Created once; every opening starts with nothing ticked.
class TFrmSil : public QDialog
{
    Q_OBJECT
public:
    TFrmSil(SharedQueries *data, IdleRefresh *idle, QWidget *parent);

    // Shows the window modally, centred on the main window.
    void execute();

    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

    // The safety copies' folder, beside the program.
    static QString safetyCopyFolder();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void FormShow();
    void FormClose();
    void addIdleRule(IdleRefresh *idle);
    // Deletes the ticked kinds; the result line and, on a failure, the error to show.
    void deleteChecked(QString *result, QString *error);

    SharedQueries *m_data;
    QList<QCheckBox *> m_boxes; // CheckBox1..CheckBox5, in the order the kinds are processed
    QProgressBar *m_progressBar1 = nullptr;
    QPushButton *m_bitBtn3 = nullptr;
    QLabel *m_label1 = nullptr;
};
