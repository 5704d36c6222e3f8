#include "windows.h"

#include "tform1.h"
#include "unitbrowser.h"
#include "entry/tfrmkod.h"
#include "entry/tkurumkayit.h"
#include "entry/tsabitbilgi.h"
#include "entry/wheelrule.h"
#include "entry/tfrmunvan.h"
#include "entry/tpersonelkayit.h"
#include "maintenance/tfrmexcel.h"

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

    // The Excel import window is made for each use and freed afterwards.
    form->setCommand(Command::ExcelImport, [form] {
        TFrmExcel excel(form->data(), form);
        excel.exec();
    });
}
