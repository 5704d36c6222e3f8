#include "windows.h"

#include "data/dataset.h"
#include "memberbrowser.h"
#include "tform1.h"
#include "tsrdbgrid.h"
#include "unitbrowser.h"
#include "entry/tfrmkod.h"
#include "entry/tkurumkayit.h"
#include "entry/tsabitbilgi.h"
#include "entry/wheelrule.h"
#include "entry/tfrmunvan.h"
#include "entry/tpersonelkayit.h"
#include "settings/tayarfrm.h"
#include "settings/tpasswdfrm.h"

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
    auto *passWdFrm = new TPassWdFrm(form);
    auto *ayarFrm = new TAyarFrm(form, form->settings(), form->idleRefresh(), passWdFrm, [form] {
        form->unitBrowser()->staffGrid()->viewport()->update();
        form->memberBrowser()->grid()->viewport()->update();
    });
    form->registerUnionList(ayarFrm->colourSlotList(), {QStringLiteral("<<< KAYITSIZ >>>")});
    form->setCommand(Command::GeneralSettings, [ayarFrm] { ayarFrm->execute(); });
    auto *frmKod = new TFrmKod(form);
    sabitBilgi->setCodeList([frmKod] { frmKod->showModal(); });
    auto *frmUnvan = new TFrmUnvan(form);
    personelKayit->setTitleCodeList(frmUnvan);
}
