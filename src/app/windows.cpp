#include "windows.h"

#include "tform1.h"
#include "unitbrowser.h"
#include "entry/tfrmkod.h"
#include "entry/tkurumkayit.h"
#include "entry/tsabitbilgi.h"
#include "entry/wheelrule.h"
#include "entry/tfrmunvan.h"
#include "entry/tpersonelkayit.h"
#include "reports/printdriver.h"

void createWindows(TForm1 *form)
{
    Q_UNUSED(form)
    WheelRule::install(form);
    auto *kurumKayit = new TKurumKayit(form);
    form->unitBrowser()->setUnitForm([kurumKayit] { kurumKayit->execute(); });
    auto *personelKayit = new TPersonelKayit(form);
    form->unitBrowser()->setMemberForm([personelKayit] { personelKayit->showModal(); });
    auto *sabitBilgi = new TSabitBilgi(form);
    form->setFixedInformationForm([sabitBilgi](bool fromToolbar) { sabitBilgi->execute(fromToolbar); });
    auto *frmKod = new TFrmKod(form);
    sabitBilgi->setCodeList([frmKod] { frmKod->showModal(); });
    auto *frmUnvan = new TFrmUnvan(form);
    personelKayit->setTitleCodeList(frmUnvan);

    // The print commands.
    auto *driver = new PrintDriver(
        form->data(), form->settings(), [form] { return form->logoPicture(); }, form);
    form->setCommand(Command::BlankMembershipForm, [driver] { driver->BitBtn3Click(); });
    form->setCommand(Command::BlankResignationForm, [driver] { driver->BitBtn10Click(); });
    form->setCommand(Command::StaffList, [driver] { driver->BitBtn6Click(); });
    form->setCommand(Command::BloodGroupList, [driver] { driver->BitBtn14Click(); });
    form->setCommand(Command::StaffCard, [driver] { driver->BitBtn7Click(); });
    form->setCommand(Command::MembershipForm, [driver] { driver->BitBtn12Click(); });
    form->setCommand(Command::ResignationForm, [driver] { driver->BitBtn13Click(); });
    form->setCommand(Command::UnitList, [driver] { driver->BitBtn8Click(); });
    form->setCommand(Command::UnitStaffList, [driver] { driver->BitBtn9Click(); });
    form->setCommand(Command::UnitStaffCard, [driver] { driver->BitBtn11Click(); });
}
