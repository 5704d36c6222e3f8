#pragma once

#include "excelimport.h"

#include <QDialog>
#include <functional>

class Dataset;
class ExcelWorkbookReader;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class SharedQueries;
class TSrDBGrid;

// "Excelden Veri Al": reads rows of a workbook's first worksheet into the staging table,
// lets the user review and correct them, and appends them to the units. It is created for
// each use; whatever is still staged when it closes is deleted.
class TFrmExcel : public QDialog
{
    Q_OBJECT
public:
    TFrmExcel(SharedQueries *data, QWidget *parent);
    ~TFrmExcel() override;

    // The waits of the window, shortened by the tests: between the normaliser's passes, and
    // how long a workbook may take to read.
    static void setPassPause(int ms);
    static void setReadTimeLimit(int ms);

    Dataset *staging() const { return m_query; }

    void Button1Click(); // stage 1: choose and read a workbook
    // Stage 1 on a workbook already chosen, with the ranges of the boxes.
    bool stageWorkbook(const QString &path);
    void Button2Click(); // delete every staged row
    void Button3Click(); // the phone normaliser
    void Button4Click(); // its second pass
    void Button5Click(); // its third pass
    void Button6Click(); // stage 3: append the staged rows to the units
    void SrDBGrid1DblClick();

public Q_SLOTS:
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildRanges();
    QWidget *buildNotes();
    QWidget *buildCommands();
    QFrame *buildStatus();
    void buildGrid();

    std::optional<ExcelRange> checkedRange();
    QString askForWorkbook();
    bool readerIsThere();
    bool stage(const QString &path, const ExcelRange &range);
    bool readAndStage(const QString &path, const ExcelRange &range);
    void showStagedRow(const excelimport::StagedRow &row, int lastRow);
    void applyPhonePass(excelimport::PhonePass pass);
    // Says how many phones the normaliser could not make into ten digits, and which.
    void tellPhonesLeft();
    // Reopens the staged rows; `followState` says whether "Tümünü Sil" takes its state from
    // the reopening as from any other change of state of the staged rows.
    void reopenStaging(bool followState);
    void stagingStateChanged();
    void showPosition();
    void pause();
    bool showsProgressNow();

    SharedQueries *m_data;
    Dataset *m_query;
    excelimport::StagingTable m_table;
    ExcelWorkbookReader *m_reader;
    bool m_followState = true;
    qint64 m_lastProgressPaint = 0;

    QLineEdit *m_edit1 = nullptr;
    QLineEdit *m_edit2 = nullptr;
    QLineEdit *m_edit3 = nullptr;
    QLineEdit *m_edit4 = nullptr;
    QLineEdit *m_edit5 = nullptr;
    QPushButton *m_button1 = nullptr;
    QPushButton *m_button2 = nullptr;
    QPushButton *m_button3 = nullptr;
    QPushButton *m_button4 = nullptr;
    QPushButton *m_button5 = nullptr;
    QPushButton *m_button6 = nullptr;
    QFrame *m_panel3 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label6 = nullptr;
    QProgressBar *m_gauge1 = nullptr;
    TSrDBGrid *m_grid = nullptr;
};
