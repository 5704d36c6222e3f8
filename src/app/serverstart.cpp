#include "serverstart.h"

#include "data/dberror.h"
#include "data/registerchoice.h"
#include "tform1.h"
#include "toolkit/messages.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace serverstart
{

namespace
{

bool isServerTrouble(DbError::Kind kind)
{
    using Kind = DbError::Kind;
    return kind == Kind::ServerUnreachable || kind == Kind::ServerLost || kind == Kind::ServerNotTrusted ||
           kind == Kind::LoginRefused ||
           kind == Kind::NoServerTables || kind == Kind::PasswordNeeded;
}

// False when the user would rather not give one.
bool askPassword(bool again)
{
    QInputDialog box;
    box.setObjectName(QStringLiteral("SunucuParolasi"));
    box.setWindowTitle(messages::kProgramTitle);
    box.setLabelText(again ? QStringLiteral("Parola kabul edilmedi. Veritabanı sunucusunun "
                                            "parolasını yeniden girin:")
                           : QStringLiteral("Veritabanı sunucusunun parolasını girin:"));
    box.setTextEchoMode(QLineEdit::Password);
    box.setOkButtonText(QStringLiteral("Tamam"));
    box.setCancelButtonText(QStringLiteral("İptal"));
    if (box.exec() != QDialog::Accepted || box.textValue().isEmpty())
        return false;
    registerchoice::setPassword(box.textValue());
    return true;
}

enum class Next { Retry, UseFile, Stop };

Next askWhatNext(const QString &error, const QString &detail)
{
    QMessageBox box(QMessageBox::Warning, messages::kProgramTitle, error);
    box.setObjectName(QStringLiteral("SunucuHatasi"));
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    QPushButton *retry = box.addButton(QStringLiteral("Yeniden Dene"), QMessageBox::AcceptRole);
    QPushButton *file = box.addButton(QStringLiteral("Dosyadaki Kaydı Aç"), QMessageBox::ActionRole);
    QPushButton *stop = box.addButton(QStringLiteral("Çık"), QMessageBox::RejectRole);
    box.setDefaultButton(retry);
    box.setEscapeButton(stop);
    box.exec();
    if (box.clickedButton() == retry)
        return Next::Retry;
    if (box.clickedButton() == file)
        return Next::UseFile;
    return Next::Stop;
}

} // namespace

TForm1 *createMainWindow(QString *error, QString *detail)
{
    bool passwordTyped = false;
    for (;;) {
        QString text, more;
        DbError::Kind kind = DbError::Kind::Engine;
        if (TForm1 *form = TForm1::create(&text, &more, &kind))
            return form;
        const bool refusedTyped = kind == DbError::Kind::LoginRefused && passwordTyped;
        if (kind == DbError::Kind::PasswordNeeded || refusedTyped) {
            if (askPassword(refusedTyped)) {
                passwordTyped = true;
                continue;
            }
        }
        if (!isServerTrouble(kind)) {
            if (error)
                *error = text;
            if (detail)
                *detail = more;
            return nullptr;
        }
        switch (askWhatNext(text, more)) {
        case Next::Retry:
            continue;
        case Next::UseFile:
            registerchoice::useFile();
            return nullptr;
        case Next::Stop:
            break;
        }
        // Said already; the program ends without a second message.
        if (error)
            error->clear();
        return nullptr;
    }
}

} // namespace serverstart
