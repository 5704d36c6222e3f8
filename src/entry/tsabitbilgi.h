#pragma once

#include <QDialog>
#include <QHash>
#include <functional>

class Dataset;
class DBEdit;
class QLabel;
class QLineEdit;
class QTabWidget;
class QToolBar;
class QToolButton;
class RecordActions;
class Workspace;
class TSrDBGrid;

// The fixed information form: the workplace's fixed data (table sabit), the union names
// (sendikalar), the program authority with the union logo (yetkili) and the program's name.
// Closing it publishes the results to the main window: the program name, the union lists,
// the logo and the caption.
class TSabitBilgi : public QDialog
{
    Q_OBJECT
public:
    explicit TSabitBilgi(Workspace *workspace);

    // Shows the form modally. Asked from the main window's toolbar button it starts on the
    // first page with the first union current; asked from the first-use question it shows
    // the page and union it was left on.
    void execute(bool fromToolbar);

    // The commands of the form.
    void ToolButton2Click();  // delete the fixed information
    void ToolButton8Click();  // delete the union
    void ToolButton5Click();  // delete the program authority
    void ToolButton10Click(); // new union
    void ToolButton11Click(); // load the logo
    void ToolButton12Click(); // clear the logo
    void SpeedButton1Click(); // the service-branch code list

    // The service-branch code list, opened by F1 and the button beside "Kurum Kodu".
    void setCodeList(std::function<void()> open) { m_openCodeList = std::move(open); }

    // The table of the control holding the focus, null for none (the program name).
    Dataset *focusedDataset() const;

public Q_SLOTS:
    // Every way of closing the form (TAMAM, the close box) comes here.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildFixedPage();
    QWidget *buildUnionPage();
    QWidget *buildAuthorityPage();
    QWidget *buildBottom();
    DBEdit *boundEdit(Dataset *dataset, const QString &field, const QString &objectName,
                      const QString &caption, QWidget *parent);
    QWidget *bind(QWidget *control, Dataset *dataset);
    QToolBar *recordBar(QWidget *parent, const QString &barName, QToolButton *newButton,
                        QToolButton *deleteButton, const QString &saveName, const QString &cancelName);
    void FormShow();
    bool FormClose();
    void storeLogo(const QString &path);
    void showUnionCount();

    Workspace *m_form;
    QHash<QWidget *, Dataset *> m_bound;
    QList<RecordActions *> m_actions;
    std::function<void()> m_openCodeList;

    QTabWidget *m_pageControl = nullptr;
    QLineEdit *m_editAd = nullptr;
    DBEdit *m_kurumAdi = nullptr;
    DBEdit *m_sendikaAdi = nullptr;
    TSrDBGrid *m_grid = nullptr;
    QLabel *m_logo = nullptr;
    QLabel *m_label14 = nullptr;
    QLabel *m_label15 = nullptr;
    QToolButton *m_toolButton2 = nullptr;
};
