#include "tfrmkimlikdenetimi.h"

#include "listexportcommand.h"
#include "data/database.h"
#include "data/dberror.h"
#include "data/sharedqueries.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"
#include "toolkit/messages.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <memory>

namespace
{

const QStringList kCaptions = {QStringLiteral("TC Kimlik No"), QStringLiteral("Adı Soyadı"),
                               QStringLiteral("Birimi"), QStringLiteral("Sorun")};

QString cellText(const identitynumber::Finding &f, int column)
{
    switch (column) {
    case 0:
        return f.holder.number;
    case 1:
        return f.holder.name;
    case 2:
        return f.holder.unit;
    default:
        return identitynumber::findingText(f);
    }
}

// The findings as the table shows them; a register can hold many, so they are not copied
// into items.
class FindingsModel : public QAbstractTableModel
{
public:
    FindingsModel(const QList<identitynumber::Finding> &findings, QObject *parent)
        : QAbstractTableModel(parent), m_findings(findings)
    {
    }
    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_findings.size());
    }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(kCaptions.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return cellText(m_findings.at(index.row()), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return kCaptions.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    const QList<identitynumber::Finding> &m_findings;
};

// The findings for the export, read a cell at a time.
class FindingsList : public listexport::ShownList
{
public:
    explicit FindingsList(const QList<identitynumber::Finding> &findings) : m_findings(findings) {}
    int columnCount() const override { return int(kCaptions.size()); }
    QString caption(int column) const override { return kCaptions.value(column); }
    int rowCount() const override { return int(m_findings.size()); }
    QString text(int row, int column) const override { return cellText(m_findings.at(row), column); }

private:
    const QList<identitynumber::Finding> &m_findings;
};

QString summaryOf(const QList<identitynumber::Finding> &findings)
{
    if (findings.isEmpty())
        return QStringLiteral("Kimlik numarası denetimi tutmayan ya da başka bir personelle aynı "
                              "olan kayıt yok.");
    return QStringLiteral("Kimlik numarası denetimi tutmayan ya da birden çok personelde kayıtlı "
                          "olan %1 kayıt bulundu.")
        .arg(QLocale().toString(findings.size()));
}

} // namespace

void TFrmKimlikDenetimi::execute(SharedQueries *data, QWidget *parent)
{
    std::unique_ptr<TFrmKimlikDenetimi> window;
    try {
        window = std::make_unique<TFrmKimlikDenetimi>(data->connection(), parent);
    } catch (const DbError &e) {
        messages::showError(e);
        return;
    }
    dialogs::centreOn(window.get(), parent);
    window->exec();
}

TFrmKimlikDenetimi::TFrmKimlikDenetimi(Database &connection, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_findings(identitynumber::audit(connection))
{
    dialogs::setTitle(this, QStringLiteral("FrmKimlikDenetimi"),
                      QStringLiteral("  Kimlik Numarası Denetimi"));
    setModal(true);
    resize(760, 420);

    auto *layout = new QVBoxLayout(this);
    m_summary = new QLabel(summaryOf(m_findings), this);
    m_summary->setObjectName(QStringLiteral("LabelOzet"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    m_list = new QTableView(this);
    controls::name(m_list, QStringLiteral("ListeKimlik"), QStringLiteral("Kimlik numarası sorunları"));
    m_list->setModel(new FindingsModel(m_findings, m_list));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->setAlternatingRowColors(true);
    // Fixed row heights and widths: measuring every row would take long on a large register.
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(20);
    const int widths[] = {100, 170, 190, 260};
    for (int c = 0; c < int(std::size(widths)); ++c)
        m_list->setColumnWidth(c, widths[c]);
    m_list->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_list, 1);

    auto *buttons = new QHBoxLayout;
    m_export = controls::commandButton(QStringLiteral("BtnDisaAktar"), QStringLiteral("Listeyi Dışa Aktar"),
                                       QStringLiteral("|Listeyi Excel ya da CSV dosyasına aktar..."), this);
    m_export->setAutoDefault(false);
    m_export->setEnabled(!m_findings.isEmpty());
    connect(m_export, &QPushButton::clicked, this, &TFrmKimlikDenetimi::BtnDisaAktarClick);
    QPushButton *close =
        controls::commandButton(QStringLiteral("BitBtn1"), QStringLiteral("TAMAM"), QString(), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(m_export);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
}

void TFrmKimlikDenetimi::BtnDisaAktarClick()
{
    listexportcommand::run(FindingsList(m_findings), QStringLiteral("Kimlik Numarası Denetimi"), this);
}
