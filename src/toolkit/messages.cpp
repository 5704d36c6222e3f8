#include "messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace messages {

namespace {

enum class Buttons { Ok, YesNo, OkCancel };

QMessageBox::StandardButton run(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                const QString &text, Buttons buttons)
{
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    switch (buttons) {
    case Buttons::Ok:
        box.addButton(QStringLiteral("TAMAM"), QMessageBox::AcceptRole);
        break;
    case Buttons::YesNo: {
        QPushButton *yes = box.addButton(QStringLiteral("Evet"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("Hayır"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        break;
    }
    case Buttons::OkCancel: {
        QPushButton *ok = box.addButton(QStringLiteral("TAMAM"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("İptal"), QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        break;
    }
    }
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return QMessageBox::No;
    QMessageBox::ButtonRole role = box.buttonRole(clicked);
    return role == QMessageBox::YesRole || role == QMessageBox::AcceptRole ? QMessageBox::Yes
                                                                           : QMessageBox::No;
}

} // namespace

void information(QWidget *parent, const QString &text)
{
    run(parent, QMessageBox::Information, QStringLiteral("Bilgi"), text, Buttons::Ok);
}

void plain(QWidget *parent, const QString &text)
{
    run(parent, QMessageBox::NoIcon, kProgramTitle, text, Buttons::Ok);
}

void warning(QWidget *parent, const QString &text)
{
    run(parent, QMessageBox::Warning, QStringLiteral("Dikkat !"), text, Buttons::Ok);
}

void error(QWidget *parent, const QString &text)
{
    run(parent, QMessageBox::Critical, QStringLiteral("Hata"), text, Buttons::Ok);
}

bool confirm(QWidget *parent, const QString &text)
{
    return run(parent, QMessageBox::Question, QStringLiteral("Doğrula"), text, Buttons::YesNo) ==
           QMessageBox::Yes;
}

bool warningQuestion(QWidget *parent, const QString &text)
{
    return run(parent, QMessageBox::Warning, QStringLiteral("Dikkat !"), text, Buttons::YesNo) ==
           QMessageBox::Yes;
}

bool question(QWidget *parent, const QString &caption, const QString &text)
{
    return run(parent, QMessageBox::Question, caption, text, Buttons::YesNo) == QMessageBox::Yes;
}

bool okCancel(QWidget *parent, const QString &caption, const QString &text)
{
    return run(parent, QMessageBox::Question, caption, text, Buttons::OkCancel) ==
           QMessageBox::Yes;
}

QString withFullStop(const QString &message)
{
    QString text = message.trimmed();
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

void showError(const QString &message)
{
    run(QApplication::activeWindow(), QMessageBox::Critical, kProgramTitle, withFullStop(message),
        Buttons::Ok);
}

} // namespace messages
