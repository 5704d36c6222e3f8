#pragma once

#include "datasetsource.h"
#include "reports/engine/datasource.h"
#include "reports/engine/preparedreport.h"
#include "reports/engine/reporttemplate.h"

#include <QImage>
#include <QObject>
#include <functional>
#include <memory>

class Dataset;
class ReportPreview;
class SharedQueries;
class QWidget;
struct Settings;

// The print commands: the ten report templates, held for the whole run, the report data
// sources over the shared queries, and what each command puts into its template (logos,
// fixed values, ticks, the date) before the report is previewed or printed as the preview
// switch says.
class PrintDriver : public QObject
{
    Q_OBJECT
public:
    // `logo` gives the logo picture as the main window holds it (null when there is none).
    PrintDriver(SharedQueries *data, Settings &settings, std::function<QImage()> logo,
                QWidget *window);
    ~PrintDriver() override;

    // Blank forms, from the left command panel.
    void printBlankMembershipForm();
    void printBlankResignationForm();
    // The member browser's prints; the selected member is the all-staff list's current row.
    void printStaffList();
    void printBloodGroupList();
    void printStaffCard();
    void printMembershipForm();
    void printResignationForm();
    // The unit browser's prints; the selected member is the unit's staff list's current row.
    void printUnitList();
    void printUnitWithStaff();
    void printUnitStaffCard();

    // The handlers of the print buttons, by the names of the buttons they are bound to.
    void BitBtn3Click() { printBlankMembershipForm(); }
    void BitBtn10Click() { printBlankResignationForm(); }
    void BitBtn6Click() { printStaffList(); }
    void BitBtn14Click() { printBloodGroupList(); }
    void BitBtn7Click() { printStaffCard(); }
    void BitBtn12Click() { printMembershipForm(); }
    void BitBtn13Click() { printResignationForm(); }
    void BitBtn8Click() { printUnitList(); }
    void BitBtn9Click() { printUnitWithStaff(); }
    void BitBtn11Click() { printUnitStaffCard(); }

    report::ReportTemplate RSendikaKayit;
    report::ReportTemplate RUye;
    report::ReportTemplate RIstifa;
    report::ReportTemplate RUyeIstifa;
    report::ReportTemplate RKurum;
    report::ReportTemplate RKurumPersonel;
    report::ReportTemplate RPersonelListe;
    report::ReportTemplate RKan;
    report::ReportTemplate RKisisel;
    report::ReportTemplate RKisiselUye;

    DatasetSource frxDBPersonel;
    DatasetSource frxDBUyeler;
    DatasetSource frxDBKurumlar;
    DatasetSource frxDBSabit;

    // Prepares a report afresh on the shared queries, with a progress window when the list
    // is long; null when the user cancelled.
    std::shared_ptr<const report::PreparedReport> prepare(const report::ReportTemplate &report);

    // The last step of every command is the preview window or, with the preview switch off,
    // the printer dialog. Given an output, the commands hand it the whole prepared report
    // instead: tests read the pages there.
    using Output = std::function<void(std::shared_ptr<const report::PreparedReport>)>;
    void setOutput(Output output) { m_output = std::move(output); }

    ReportPreview *preview() const { return m_preview; }

private:
    // `member` is the query whose current member the report is about, if it is about one.
    void runReport(const report::ReportTemplate &report, const Dataset *member = nullptr);
    void putLogo(report::ReportTemplate &report, const QString &flag);
    void putFixedValues(report::ReportTemplate &report);
    void putTicks(report::ReportTemplate &report);
    void putToday(report::ReportTemplate &report);

    SharedQueries *m_data;
    Settings &m_settings;
    std::function<QImage()> m_logo;
    QWidget *m_window;
    report::DataSources m_sources;
    ReportPreview *m_preview;
    Output m_output;
};
