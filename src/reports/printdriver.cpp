#include "printdriver.h"

#include "data/dataset.h"
#include "data/settings.h"
#include "data/sharedqueries.h"
#include "listreports.h"
#include "reportoutput.h"
#include "reportpreview.h"
#include "reports/engine/layout.h"
#include "templatebuilder.h"
#include "unionforms.h"

#include <QDate>
#include <QLocale>

using namespace report;

namespace
{

// Lists longer than this prepare behind a progress window that can cancel them.
constexpr int kRowsWorthProgress = 2000;

// The current row's value; empty when the query holds no row.
QString textOf(const Dataset *dataset, const QString &field)
{
    return dataset->isOpen() && !dataset->isEmpty() ? dataset->fieldText(field) : QString();
}

bool yes(const Dataset *dataset, const QString &field)
{
    return dataset->isOpen() && !dataset->isEmpty() && dataset->value(field).toBool();
}

// The blank forms' fixed values from sabit, each with the flag that lets it print.
struct FixedValue {
    QString box;
    QString column;
    QString flag;
};

const QList<FixedValue> &fixedValues()
{
    static const QList<FixedValue> values = {
        {QStringLiteral("MKurum"), QStringLiteral("Kurum_Adi"), QStringLiteral("kurum_sec")},
        {QStringLiteral("MSendika"), QStringLiteral("sendikasi"), QStringLiteral("sendika_sec")},
        {QStringLiteral("MSendikaAdres"), QStringLiteral("sendika_adresi"),
         QStringLiteral("sendika_adres_sec")},
        {QStringLiteral("MHizmet"), QStringLiteral("hizmet_kolu"),
         QStringLiteral("hizmet_kolu_sec")},
        {QStringLiteral("MHizmet2"), QStringLiteral("hizmet_kolu"),
         QStringLiteral("hizmet_kolu_sec")},
        {QStringLiteral("MKurumKod"), QStringLiteral("kurum_kodu"),
         QStringLiteral("kurum_kod_sec")},
        {QStringLiteral("MIl"), QStringLiteral("ili"), QStringLiteral("il_sec")},
        {QStringLiteral("MIlKod"), QStringLiteral("il_kodu"), QStringLiteral("il_kod_sec")},
    };
    return values;
}

// A tick box and the stored value that ticks it.
struct Tick {
    QString box;
    QString value;
};

const QString kTick = QStringLiteral("X");

// Today as day without a leading zero, two-digit month and four-digit year, joined by the
// date separator of the system's language (5.03.2009 in Turkish).
QString today()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    QString separator = QStringLiteral("/");
    for (QChar ch : format) {
        if (!ch.isLetter()) {
            separator = ch;
            break;
        }
    }
    return QDate::currentDate().toString(QStringLiteral("d%1MM%1yyyy").arg(separator));
}

} // namespace

PrintDriver::PrintDriver(SharedQueries *data, Settings &settings, std::function<QImage()> logo,
                         QWidget *window)
    : QObject(window), RSendikaKayit(templates::membershipForm(false)),
      RUye(templates::membershipForm(true)), RIstifa(templates::resignationForm(false)),
      RUyeIstifa(templates::resignationForm(true)), RKurum(templates::unitList()),
      RKurumPersonel(templates::unitStaffList()), RPersonelListe(templates::staffList()),
      RKan(templates::bloodGroupList()), RKisisel(templates::recordCard(false)),
      RKisiselUye(templates::recordCard(true)), frxDBPersonel(data->staff()),
      frxDBUyeler(data->unitStaff()), frxDBKurumlar(data->units()), frxDBSabit(data->fixedInformation()),
      m_data(data), m_settings(settings), m_logo(std::move(logo)), m_window(window),
      m_preview(new ReportPreview(window))
{
    setObjectName(QStringLiteral("PrintDriver"));
    m_sources = {{templates::kPersonel, &frxDBPersonel},
                 {templates::kUyeler, &frxDBUyeler},
                 {templates::kKurumlar, &frxDBKurumlar},
                 {templates::kSabit, &frxDBSabit}};
}

PrintDriver::~PrintDriver() = default;

// ---------------------------------------------------------------- commands

void PrintDriver::printBlankMembershipForm()
{
    putLogo(RSendikaKayit, QStringLiteral("logo1sec"));
    putFixedValues(RSendikaKayit);
    runReport(RSendikaKayit);
}

void PrintDriver::printBlankResignationForm()
{
    putLogo(RIstifa, QStringLiteral("logo2sec"));
    putFixedValues(RIstifa);
    runReport(RIstifa);
}

void PrintDriver::printStaffList()
{
    runReport(RPersonelListe);
}

void PrintDriver::printBloodGroupList()
{
    runReport(RKan);
}

void PrintDriver::printStaffCard()
{
    runReport(RKisisel, m_data->staff());
}

void PrintDriver::printMembershipForm()
{
    putLogo(RUye, QStringLiteral("logo3sec"));
    putTicks(RUye);
    runReport(RUye, m_data->staff());
}

void PrintDriver::printResignationForm()
{
    putLogo(RUyeIstifa, QStringLiteral("logo4sec"));
    putTicks(RUyeIstifa);
    putToday(RUyeIstifa);
    runReport(RUyeIstifa, m_data->staff());
}

void PrintDriver::printUnitList()
{
    runReport(RKurum);
}

void PrintDriver::printUnitWithStaff()
{
    runReport(RKurumPersonel);
}

void PrintDriver::printUnitStaffCard()
{
    runReport(RKisiselUye, m_data->unitStaff());
}

// ---------------------------------------------------------------- what the commands put in

void PrintDriver::putLogo(ReportTemplate &report, const QString &flag)
{
    // Without a logo picture the corners stay empty whatever the flag says.
    const QImage logo = yes(m_data->authority(), flag) && m_logo ? m_logo() : QImage();
    report.setPicture(QStringLiteral("Picture1"), logo);
    report.setPicture(QStringLiteral("Picture2"), logo);
}

void PrintDriver::putFixedValues(ReportTemplate &report)
{
    const Dataset *sabit = m_data->fixedInformation();
    for (const FixedValue &value : fixedValues())
        report.setText(value.box, yes(sabit, value.flag) ? textOf(sabit, value.column) : QString());
}

void PrintDriver::putTicks(ReportTemplate &report)
{
    // Every box of a group is set or cleared on every run: a value that is none of the
    // choices (typed in elsewhere) ticks nothing rather than leaving an earlier member's tick.
    const Dataset *member = m_data->staff();
    const QString gender = textOf(member, QStringLiteral("cinsiyeti"));
    const QString education = textOf(member, QStringLiteral("ogrenim_durumu"));
    const QList<Tick> genders = {{QStringLiteral("MErkek"), QStringLiteral("ERKEK")},
                                 {QStringLiteral("MKadin"), QStringLiteral("KADIN")}};
    const QList<Tick> schools = {{QStringLiteral("MIlkogretim"), QStringLiteral("İLKÖĞRETİM")},
                                 {QStringLiteral("MLise"), QStringLiteral("LİSE")},
                                 {QStringLiteral("MYuksekOkul"), QStringLiteral("YÜKSEK OKUL")}};
    for (const Tick &tick : genders)
        report.setText(tick.box, gender == tick.value ? kTick : QString());
    for (const Tick &tick : schools)
        report.setText(tick.box, education == tick.value ? kTick : QString());
}

void PrintDriver::putToday(ReportTemplate &report)
{
    report.setText(QStringLiteral("MTarih"), today());
}

// ---------------------------------------------------------------- running

std::shared_ptr<const PreparedReport> PrintDriver::prepare(const ReportTemplate &report)
{
    const int rows = masterRowCount(report, m_sources);
    reportoutput::ProgressWindow progress(m_window, QStringLiteral("Rapor hazırlanıyor..."),
                                          rows >= kRowsWorthProgress);
    PrepareOptions options;
    options.progress = &progress;
    std::optional<PreparedReport> prepared = report::prepare(report, m_sources, options);
    if (!prepared)
        return nullptr;
    return std::make_shared<const PreparedReport>(std::move(*prepared));
}

void PrintDriver::runReport(const ReportTemplate &report, const Dataset *member)
{
    if (m_settings.preview && !m_output) {
        // A copy saved as PDF is offered under the member's name, so that the forms of
        // several members can be saved side by side.
        const QString subject = member ? textOf(member, QStringLiteral("Birlestir")) : QString();
        // The preview opens on its first page; the rest is laid out while it is on screen.
        auto preparation = std::make_shared<Preparation>(report, m_sources);
        preparation->prepareUntil(0);
        preparation->leaveSourcesOnLastRow();
        m_preview->execute(std::move(preparation), subject);
        return;
    }
    std::shared_ptr<const PreparedReport> prepared = prepare(report);
    if (!prepared)
        return;
    if (m_output)
        m_output(std::move(prepared));
    else
        reportoutput::print(*prepared, m_window);
}
