#include "listexportcommand.h"

#include "data/dataset.h"
#include "reports/export/listexport.h"
#include "reportoutput.h"
#include "toolkit/messages.h"
#include "toolkit/tsrdbgrid.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QStandardPaths>

namespace listexportcommand
{

namespace
{

using listexport::Format;

// Lists shorter than this are written before a progress window could help.
constexpr int kRowsWorthProgress = 5000;

const QString kXlsxFilter = QStringLiteral("Excel çalışma kitabı (*.xlsx)");
const QString kCsvFilter = QStringLiteral("CSV dosyası, noktalı virgülle ayrılmış (*.csv)");

// The folder of the last list written in this run, offered again.
QString &lastFolder()
{
    static QString folder;
    return folder;
}

QString startFolder()
{
    for (const QString &folder :
         {lastFolder(), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)})
        if (!folder.isEmpty() && QDir(folder).exists())
            return folder;
    return QDir::homePath();
}

QString fileNameFor(const QString &title)
{
    QString name = title.simplified();
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar &ch : name)
        if (forbidden.contains(ch))
            ch = QLatin1Char('-');
    return (name.isEmpty() ? QStringLiteral("Liste") : name) + QStringLiteral(".xlsx");
}

Format formatOfFilter(const QString &filter)
{
    return filter == kCsvFilter ? Format::Csv : Format::Xlsx;
}

struct Target {
    QString path;
    Format format = Format::Xlsx;
};

// The save dialog: Qt's own, which speaks Turkish like the rest of the program and which the
// tests answer as the user does. Empty when cancelled.
std::optional<Target> askTarget(const QString &title, QWidget *parent)
{
    const QString folder = startFolder();
    QFileDialog dialog(parent, QStringLiteral("Listeyi Dışa Aktar"), folder);
    dialog.setObjectName(QStringLiteral("ListeDisaAktarDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kXlsxFilter, kCsvFilter});
    dialog.selectNameFilter(kXlsxFilter);
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    // A name typed without a suffix takes that of the type chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        dialog.setDefaultSuffix(listexport::suffixOf(formatOfFilter(filter)));
    });
    dialog.selectFile(QDir(folder).filePath(fileNameFor(title)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    Target target;
    target.path = dialog.selectedFiles().constFirst();
    const std::optional<Format> bySuffix = listexport::formatOf(target.path);
    target.format = bySuffix ? *bySuffix : formatOfFilter(dialog.selectedNameFilter());
    if (!bySuffix)
        target.path += QLatin1Char('.') + listexport::suffixOf(target.format);
    return target;
}

// The rows of a grid's dataset, read a cell at a time as the grid reads them.
class GridList : public listexport::ShownList
{
public:
    explicit GridList(const TSrDBGrid *grid) : m_dataset(grid->dataset())
    {
        const DatasetModel *model = grid->datasetModel();
        const QHeaderView *header = grid->horizontalHeader();
        if (!model || !m_dataset || !m_dataset->isOpen())
            return;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (logical < 0 || grid->isColumnHidden(logical) || header->sectionSize(logical) <= 0)
                continue;
            m_fields.push_back(m_dataset->fieldIndex(model->columns().at(logical).field));
            // The grid's titles carry blanks for their look on the screen only.
            m_captions << model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString().trimmed();
        }
    }
    int columnCount() const override { return int(m_captions.size()); }
    QString caption(int column) const override { return m_captions.value(column); }
    int rowCount() const override
    {
        return m_dataset && m_dataset->isOpen() ? m_dataset->recordCount() : 0;
    }
    QString text(int row, int column) const override
    {
        const int field = m_fields[size_t(column)];
        return field < 0 ? QString() : m_dataset->textAt(row, field);
    }

private:
    const Dataset *m_dataset;
    std::vector<int> m_fields;
    QStringList m_captions;
};

} // namespace

std::unique_ptr<listexport::ShownList> shownList(const TSrDBGrid *grid)
{
    return std::make_unique<GridList>(grid);
}

void run(const listexport::ShownList &list, const QString &title, QWidget *parent)
{
    if (list.rowCount() == 0 || list.columnCount() == 0) {
        messages::information(parent, QStringLiteral("Listede dışa aktarılacak kayıt yok."));
        return;
    }
    const std::optional<Target> target = askTarget(title, parent);
    if (!target)
        return;
    lastFolder() = QFileInfo(target->path).absolutePath();
    listexport::Outcome outcome;
    {
        reportoutput::ProgressWindow progress(parent, QStringLiteral("Liste dışa aktarılıyor..."),
                                              list.rowCount() >= kRowsWorthProgress);
        outcome = listexport::writeFile(list, target->path, target->format, title, &progress);
    }
    if (outcome.cancelled)
        return;
    if (!outcome.written) {
        messages::error(parent, outcome.error);
        return;
    }
    messages::information(parent, QStringLiteral("Liste '%1' dosyasına aktarıldı: %2 kayıt.")
                                      .arg(QDir::toNativeSeparators(target->path))
                                      .arg(QLocale().toString(list.rowCount())));
}

void run(const TSrDBGrid *grid, const QString &title, QWidget *parent)
{
    const std::unique_ptr<listexport::ShownList> list = shownList(grid);
    run(*list, title, parent);
}

} // namespace listexportcommand
