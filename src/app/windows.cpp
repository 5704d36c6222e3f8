#include "windows.h"

#include "data/dataset.h"
#include "data/dberror.h"
#include "data/registercopy.h"
#include "maintenance/waitcursor.h"
#include "toolkit/messages.h"
#include "memberbrowser.h"
#include "tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "unitbrowser.h"
#include "entry/tfrmkod.h"
#include "entry/tkurumkayit.h"
#include "entry/tsabitbilgi.h"
#include "entry/wheelrule.h"
#include "entry/tfrmunvan.h"
#include "entry/tpersonelkayit.h"
#include "info/tfrmhakkinda.h"
#include "info/tfrmhelp.h"
#include "info/tfrmistatistik.h"
#include "settings/tayarfrm.h"
#include "settings/tpasswdfrm.h"
#include "maintenance/tfrmexcel.h"
#include "maintenance/tfrmgeriyukle.h"
#include "data/sharedqueries.h"
#include "maintenance/tfrmsil.h"
#include "maintenance/tfrmtamir.h"
#include "maintenance/tfrmyedek.h"

#include <QCoreApplication>
#include "reports/printdriver.h"

namespace
{

// On a server there is no file to rewrite: its tables are tidied where the role may, and
// otherwise the server's own upkeep looks after them.
void tidyTheServer(TForm1 *form)
{
    QStringList tidied;
    try {
        maintenance::WaitCursor wait;
        tidied = registercopy::tidyServer(form->data()->connection());
    } catch (const DbError &e) {
        messages::showError(e);
        return;
    }
    if (tidied.isEmpty())
        messages::information(form, QStringLiteral("Kayıtlar bir veritabanı sunucusunda: tabloların "
                                                   "bakımını sunucunun kendi otomatik bakımı yapar. "
                                                   "Programın yapacağı bir işlem yok."));
    else
        messages::information(form, QStringLiteral("Sunucudaki tabloların bakımı yapıldı (boş alan "
                                                   "geri kazanıldı, istatistikler yenilendi): %1.")
                                        .arg(tidied.join(QStringLiteral(", "))));
}

} // namespace

void createWindows(TForm1 *form)
{
    WheelRule::install(form);
    auto *kurumKayit = new TKurumKayit(form);
    form->unitBrowser()->setUnitForm([kurumKayit] { kurumKayit->execute(); });
    auto *personelKayit = new TPersonelKayit(form);
    form->unitBrowser()->setMemberForm([personelKayit] { personelKayit->showModal(); });
    auto *sabitBilgi = new TSabitBilgi(form);
    form->setFixedInformationForm([sabitBilgi](bool fromToolbar) { sabitBilgi->execute(fromToolbar); });
    auto *passWdFrm = new TPassWdFrm(form);
    auto *ayarFrm = new TAyarFrm(form, form->settings(), form->idleRefresh(), passWdFrm, [form] {
        form->unitBrowser()->staffGrid()->viewport()->update();
        form->memberBrowser()->grid()->viewport()->update();
    });
    form->registerUnionList(ayarFrm->colourSlotList(), {QStringLiteral("<<< KAYITSIZ >>>")});
    form->setCommand(Command::GeneralSettings, [ayarFrm] { ayarFrm->execute(); });
    auto *hakkinda = new TFrmHakkinda(form->data(), [form] { return form->programName(); }, form);
    form->setCommand(Command::About, [hakkinda] { hakkinda->showModal(); });
    auto *frmKod = new TFrmKod(form);
    sabitBilgi->setCodeList([frmKod] { frmKod->showModal(); });
    auto *frmUnvan = new TFrmUnvan(form);
    personelKayit->setTitleCodeList(frmUnvan);

    // The database menu: backup, repair and compact, bulk delete.
    auto *frmYedek = new TFrmYedek(form->data(), form);
    form->setCommand(Command::Backup, [frmYedek] { frmYedek->execute(); });
    auto *geriYukle = new TFrmGeriYukle(form->data(), form);
    // The register is read whole before it is let go; once the backup is open in its place,
    // the lists, the caption and the logo show what it holds.
    geriYukle->setBeforeRestore([form] { return form->waitForStaffList(); });
    geriYukle->setAfterRestore([form] {
        form->rebuildUnionLists();
        form->updateCaption();
        form->loadLogo();
    });
    form->setCommand(Command::Restore, [geriYukle] { geriYukle->execute(); });
    auto *frmTamir = new TFrmTamir(form);
    frmTamir->setExitRequest([form] {
        if (!form->close())
            return false;
        QCoreApplication::quit();
        return true;
    });
    form->setCommand(Command::Repair, [form, frmTamir] {
        if (form->data()->connection().isServer()) {
            tidyTheServer(form);
            return;
        }
        // The repair rewrites the file: the program lets it go and stays out of service.
        const QString database = form->data()->connection().path();
        form->data()->disconnect();
        form->hide();
        frmTamir->showFor(database);
    });
    auto *frmSil = new TFrmSil(form->data(), form->idleRefresh(), form);
    form->setCommand(Command::BulkDelete, [form, frmSil] {
        if (form->waitForStaffList())
            frmSil->execute();
    });
    auto *help = new TFrmHelp(form);
    form->setCommand(Command::Help, [help] { help->showModal(); });
    hakkinda->setHelp([help] { help->showModal(); });
    form->setCommand(Command::Statistics, [form] { TFrmIstatistik::execute(form->data(), form); });

    // The Excel import window is made for each use and freed afterwards.
    form->setCommand(Command::ExcelImport, [form] {
        TFrmExcel excel(form->data(), form);
        excel.exec();
    });
    // The print commands.
    auto *driver = new PrintDriver(
        form->data(), form->settings(), [form] { return form->logoPicture(); }, form);
    form->setCommand(Command::BlankMembershipForm, [driver] { driver->printBlankMembershipForm(); });
    form->setCommand(Command::BlankResignationForm, [driver] { driver->printBlankResignationForm(); });
    // The prints of the member browser read the all-staff list.
    auto onStaffList = [form, driver](void (PrintDriver::*print)()) {
        return [form, driver, print] {
            if (form->waitForStaffList())
                (driver->*print)();
        };
    };
    form->setCommand(Command::StaffList, onStaffList(&PrintDriver::printStaffList));
    form->setCommand(Command::BloodGroupList, onStaffList(&PrintDriver::printBloodGroupList));
    form->setCommand(Command::StaffCard, onStaffList(&PrintDriver::printStaffCard));
    form->setCommand(Command::MembershipForm, onStaffList(&PrintDriver::printMembershipForm));
    form->setCommand(Command::ResignationForm, onStaffList(&PrintDriver::printResignationForm));
    form->setCommand(Command::UnitList, [driver] { driver->printUnitList(); });
    form->setCommand(Command::UnitStaffList, [driver] { driver->printUnitWithStaff(); });
    form->setCommand(Command::UnitStaffCard, [driver] { driver->printUnitStaffCard(); });
}
