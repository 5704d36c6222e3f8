#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

// "Veritabanı Bakım ve Onarımı": compacts Data.dat while the rest of the program is out of
// service, and shows its size before and after. A database that fails its check is left as
// it is, and what can still be read of it may be saved into a new file beside it. Every
// way out of the window ends the program through the main window's exit question.
class TFrmTamir : public QDialog
{
    Q_OBJECT
public:
    explicit TFrmTamir(QWidget *parent);

    // Asks the main window to close; true when the program ends.
    void setExitRequest(std::function<bool()> requestExit)
    {
        m_requestExit = std::move(requestExit);
    }

    // Shows the window without waiting, for the database at `databasePath` (its connection
    // already closed), with the size before the run.
    void showFor(const QString &databasePath);

    // The size of a file in the short form ("1,46 MB"), or the text for a missing file.
    static QString sizeText(const QString &path);

    void Button1Click();
    void Button6Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    enum class Stage { Ready, Running, Finished };
    QWidget *buildSizePanel();
    void run();
    void step(int add, int pauseMs);
    void succeeded(const QString &sizeAfter);
    void failed(const QString &status);
    void offerSalvage(const QString &findings);
    bool requestExit();

    std::function<bool()> m_requestExit;
    QString m_databasePath;
    Stage m_stage = Stage::Ready;
    bool m_ending = false;

    QLabel *m_label1 = nullptr;
    QLabel *m_label3 = nullptr;
    QLabel *m_label5 = nullptr;
    QLabel *m_label6 = nullptr;
    QProgressBar *m_progressBar1 = nullptr;
    QPushButton *m_button1 = nullptr;
    QPushButton *m_button6 = nullptr;
};
