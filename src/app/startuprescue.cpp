#include "startuprescue.h"

#include "data/registerchoice.h"
#include "serverstart.h"

#include "data/programdir.h"
#include "data/schema.h"
#include "maintenance/databasefile.h"
#include "maintenance/salvage.h"
#include "maintenance/waitcursor.h"
#include "tform1.h"
#include "toolkit/messages.h"

#include <QDir>
#include <QFileInfo>

namespace startuprescue
{

namespace
{

QString rescueQuestion()
{
    return QStringLiteral(
        "Veritabanı dosyası (Data.dat) hasarlı; program bu haliyle açılamıyor.\n\n"
        "Okunabilen kayıtlar kurtarılıp yeni bir Data.dat dosyasına aktarılsın mı? Hasarlı "
        "dosya silinmez, tarihli bir adla program klasöründe saklanır.");
}

QString rescuedText(const maintenance::Salvage &salvage)
{
    QString text =
        QStringLiteral("Veritabanı kurtarıldı: %1 birim ve %2 personel kaydı yeni Data.dat "
                       "dosyasına aktarıldı.")
            .arg(salvage.saved(QStringLiteral("okul")))
            .arg(salvage.saved(QStringLiteral("uyeler")));
    if (salvage.incomplete())
        text += QStringLiteral("\nDosyanın hasarlı bölümündeki kayıtlar okunamadığı için "
                               "kurtarılamadı.");
    text += QStringLiteral("\n\nHasarlı dosya şu adla saklandı:\n%1")
                .arg(QDir::toNativeSeparators(salvage.keptAs()));
    return text;
}

} // namespace

bool isDamaged(const QString &databasePath)
{
    const QFileInfo file(databasePath);
    if (!file.isFile() || file.size() == 0)
        return false;
    return maintenance::checkFile(databasePath, maintenance::Depth::Quick).state ==
           maintenance::Health::Damaged;
}

bool offerRescue(const QString &databasePath, QString *error)
{
    if (!messages::warningQuestion(nullptr, rescueQuestion()))
        return false;
    maintenance::Salvage salvage;
    bool rescued;
    {
        maintenance::WaitCursor wait;
        rescued = salvage.rescueInPlace(databasePath);
    }
    if (!rescued) {
        if (error)
            *error = QStringLiteral("Veritabanı kurtarılamadı; Data.dat olduğu gibi duruyor.\n\n") +
                     salvage.error();
        return false;
    }
    messages::information(nullptr, rescuedText(salvage));
    return true;
}

TForm1 *createMainWindow(QString *error, QString *detail)
{
    if (registerchoice::isServer()) {
        TForm1 *form = serverstart::createMainWindow(error, detail);
        if (form || registerchoice::isServer())
            return form;
        // The user chose the register in the file instead.
    }
    if (TForm1 *form = TForm1::create(error, detail))
        return form;
    const QString path = ProgramDir::file(QString::fromLatin1(schema::kDatabaseFile));
    if (!isDamaged(path))
        return nullptr;
    QString failure;
    if (!offerRescue(path, &failure)) {
        if (!failure.isEmpty()) {
            if (error)
                *error = failure;
            if (detail)
                detail->clear();
        }
        return nullptr;
    }
    return TForm1::create(error, detail);
}

} // namespace startuprescue
