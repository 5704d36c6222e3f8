#include "messages.h"

#include "data/dberror.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <new>

namespace messages {

namespace {

enum class Buttons { Ok, YesNo, OkCancel };

// What Escape and the close box do: answer as the escape button ("Hayır", "İptal", the
// only button) would, or nothing at all.
enum class Dismissal { AsEscapeButton, Never };

class Box : public QMessageBox
{
public:
    Box(QMessageBox::Icon icon, const QString &caption, const QString &text, Dismissal dismissal,
        QWidget *parent)
        : QMessageBox(icon, caption, text, QMessageBox::NoButton, parent), m_dismissal(dismissal)
    {
        setObjectName(QStringLiteral("MessageBox"));
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (m_dismissal == Dismissal::Never && event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (m_dismissal == Dismissal::Never)
            event->ignore();
        else
            QMessageBox::closeEvent(event);
    }

private:
    Dismissal m_dismissal;
};

QMessageBox::StandardButton run(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                const QString &text, Buttons buttons,
                                Dismissal dismissal = Dismissal::AsEscapeButton,
                                const QString &detail = QString())
{
    Box box(icon, caption, text, dismissal, parent);
    if (!detail.isEmpty())
        box.setInformativeText(QStringLiteral("Ayrıntı: ") + detail);
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

bool saveQuestion(QWidget *parent, const QString &text)
{
    return run(parent, QMessageBox::NoIcon, QStringLiteral("Dikkat !"), text, Buttons::YesNo,
               Dismissal::Never) == QMessageBox::Yes;
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

QString quoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

QString withFullStop(const QString &message)
{
    QString text = message.trimmed();
    if (!text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text;
}

void showError(const QString &message, const QString &detail)
{
    run(QApplication::activeWindow(), QMessageBox::Critical, kProgramTitle, withFullStop(message),
        Buttons::Ok, Dismissal::AsEscapeButton, detail);
}

void showError(const DbError &error)
{
    if (error.kind() == DbError::Kind::Declined)
        return; // the user has just been asked and said no
    const Description d = describe(error);
    showError(d.text, d.detail);
}

void showError(const std::exception &error)
{
    if (const auto *db = dynamic_cast<const DbError *>(&error)) {
        showError(*db);
        return;
    }
    const bool memory = dynamic_cast<const std::bad_alloc *>(&error) != nullptr;
    showError(memory ? QStringLiteral("Bellek yetmedi; işlem tamamlanamadı")
                     : QStringLiteral("Beklenmeyen bir hata oluştu; işlem tamamlanamadı"),
              QString::fromLocal8Bit(error.what()));
}

Description describe(const DbError &error)
{
    return error.describe();
}

} // namespace messages
