#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class SharedQueries;

// "  Program Hakkında": the program's title, its authority and the support site. Created once
// at start-up; the title and the authority are filled in at each opening.
class TFrmHakkinda : public QDialog
{
    Q_OBJECT
public:
    // `programTitle` gives the title as the main window shows it; the authority is read from
    // QYetkili.
    TFrmHakkinda(SharedQueries *data, std::function<QString()> programTitle, QWidget *parent);

    // What "Yardım (F1)" and F1 open once this window has closed.
    void setHelp(std::function<void()> openHelp) { m_openHelp = std::move(openHelp); }

    // Fills in the title and the authority, shows the window modally over its owner and, when
    // help was asked for, opens it after this window has gone.
    void showModal();
    void RzBitBtn1Click();
    void BitBtn1Click();

    QLabel *titleLabel() const { return m_label1; }
    QLabel *authorityLabel() const { return m_label2; }
    QLabel *linkLabel() const { return m_label7; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString authority() const;

    SharedQueries *m_data;
    std::function<QString()> m_programTitle;
    std::function<void()> m_openHelp;
    bool m_helpAsked = false;
    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label7 = nullptr;
};
