#include "tfrmexcel.h"

#include "toolkit/tsrdbgrid.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/sharedqueries.h"
#include "tfrmexcels.h"
#include "toolkit/controls.h"
#include "toolkit/guard.h"
#include "toolkit/messages.h"
#include "progressbar.h"
#include "waitcursor.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace
{

int passPauseMs = 500;
int readTimeLimitMs = 30000;
// Progress is painted at most this often: painting every row would cost more than the rows.
constexpr qint64 kProgressPaintMs = 40;
// The folder of the last workbook chosen during this run.
QString lastFolder;

const QString kDone = QStringLiteral("İşlem Tamamlandı.");
const QString kNothingRead = QStringLiteral("Hiçbir kayıt alınmadı.");

// Why the database refused, in Turkish, with the engine's own words below where it gave any.
QString reasonOf(const DbError &error)
{
    const messages::Description d = messages::describe(error);
    return d.detail.isEmpty() ? d.text : d.text + QStringLiteral("\nAyrıntı: ") + d.detail;
}

QLabel *label(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(objectName);
    return l;
}

QLineEdit *rangeEdit(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(objectName);
    edit->setFixedWidth(64);
    return edit;
}

QPushButton *button(const QString &objectName, const QString &caption, QWidget *parent)
{
    QPushButton *b = controls::commandButton(objectName, caption, QString(), parent);
    // Enter in a range box must not start a command.
    b->setAutoDefault(false);
    return b;
}

// The last folder a workbook came from, else the documents, else the home folder: one that
// exists.
QString startFolder()
{
    for (const QString &folder :
         {lastFolder, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)})
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    return QDir::homePath();
}

// Tells the kind of a file by its name alone. The file dialog's own way reads each file it
// lists, which blocks for good on some (/proc/kmsg, should the dialog remember having been
// there).
class KindByName : public QFileIconProvider
{
public:
    QIcon icon(const QFileInfo &info) const override
    {
        return info.isDir() ? QFileIconProvider::icon(info) : QFileIconProvider::icon(File);
    }
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QFileIconProvider::type(info);
        return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
    }
};

} // namespace

void TFrmExcel::setPassPause(int ms)
{
    passPauseMs = ms;
}

void TFrmExcel::setReadTimeLimit(int ms)
{
    readTimeLimitMs = ms;
}

TFrmExcel::TFrmExcel(SharedQueries *data, QWidget *parent)
    : QDialog(parent), m_data(data),
      m_query(new Dataset(&data->connection(), QStringLiteral("ADOQuery1"), this)),
      m_table(data->connection()),
      m_reader(new ExcelWorkbookReader(ExcelWorkbookReader::defaultProgram(), this))
{
    setObjectName(QStringLiteral("FrmExcel"));
    setWindowTitle(QStringLiteral(" Excel - Veri Al"));
    setModal(true);
    m_reader->setTimeLimit(readTimeLimitMs);

    auto *notice = label(QStringLiteral("Label14"),
                         QStringLiteral("Sadece Birim Kayıtları için aktarım yapılabilir."), this);
    notice->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));

    auto *left = new QVBoxLayout;
    left->addWidget(buildRanges());
    left->addWidget(buildCommands());
    left->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(left);
    top->addWidget(buildNotes(), 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(notice);
    layout->addLayout(top);
    layout->addWidget(buildStatus());
    buildGrid();
    layout->addWidget(m_grid, 1);
    resize(800, 620);

    connect(m_query, &Dataset::stateChanged, this, &TFrmExcel::stagingStateChanged);
    connect(m_query, &Dataset::afterScroll, this, &TFrmExcel::showPosition);
    m_query->setSql(QStringLiteral("Select * From Veriler"));
    m_query->open();
}

TFrmExcel::~TFrmExcel() = default;

QWidget *TFrmExcel::buildRanges()
{
    auto *box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("Panel1"));
    auto *grid = new QGridLayout(box);
    m_edit1 = rangeEdit(QStringLiteral("Edit1"), QStringLiteral("1"), box);
    m_edit2 = rangeEdit(QStringLiteral("Edit2"), QStringLiteral("20"), box);
    m_edit3 = rangeEdit(QStringLiteral("Edit3"), QStringLiteral("1"), box);
    m_edit4 = rangeEdit(QStringLiteral("Edit4"), QStringLiteral("6"), box);
    m_edit5 = rangeEdit(QStringLiteral("Edit5"), QStringLiteral("-"), box);
    // The empty-cell text goes into any field; the smallest takes ten characters.
    m_edit5->setMaxLength(10);
    // A caption, the first box, "ile", the last box.
    auto rangeRow = [&](int row, const char *caption, const char *captionName, QLineEdit *first,
                        const char *ileName, QLineEdit *last) {
        grid->addWidget(label(QLatin1String(captionName), QString::fromUtf8(caption), box), row, 0);
        grid->addWidget(first, row, 1);
        grid->addWidget(label(QLatin1String(ileName), QStringLiteral("ile"), box), row, 2);
        grid->addWidget(last, row, 3);
    };
    rangeRow(0, "Excel Satır Aralığı Belirle :", "Label3", m_edit1, "Label8", m_edit2);
    rangeRow(1, "Excel Sütun Aralığı Belirle :", "Label7", m_edit3, "Label4", m_edit4);
    grid->addWidget(label(QStringLiteral("Label9"), QStringLiteral("Boş Hücre :"), box), 2, 0);
    grid->addWidget(m_edit5, 2, 1);
    for (QLineEdit *edit : {m_edit1, m_edit2, m_edit3, m_edit4})
        edit->installEventFilter(this);
    return box;
}

QWidget *TFrmExcel::buildNotes()
{
    auto *panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("Panel2"));
    auto *column = new QVBoxLayout(panel);
    const QStringList lines = {
        QStringLiteral("* Excel dosyası 6 sütundan oluşmalı, alan sıralaması aynı olmalı."),
        QStringLiteral("* Excel dosyasında başlık satırı varsa satır aralığı 2 den başlamalı."),
        QStringLiteral("* Satır aralığının ikinci rakamı çekilecek kayıt sayısı kadar olmalı."),
        QStringLiteral("* Kayıtlarda değişiklik yapmak için ilgili kayda çift tıklanır."),
        QStringLiteral("* Önceki kayıtlarınız silinmez. Üzerine ekleme yapılır."),
    };
    const char *names[] = {"Label1", "Label5", "Label10", "Label11", "Label12"};
    for (int i = 0; i < lines.size(); ++i) {
        QLabel *line = label(QLatin1String(names[i]), lines[i], panel);
        line->setWordWrap(true);
        column->addWidget(line);
    }
    column->addStretch();
    return panel;
}

QWidget *TFrmExcel::buildCommands()
{
    auto *panel = new QWidget(this);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    m_button1 = button(QStringLiteral("Button1"), QStringLiteral("Excelden Veri Al"), panel);
    m_button1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_button2 = button(QStringLiteral("Button2"), QStringLiteral("Tümünü Sil"), panel);
    m_button2->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    m_button3 = button(QStringLiteral("Button3"), QStringLiteral("Tel No Alanını Formatla"), panel);
    m_button6 = button(QStringLiteral("Button6"), QStringLiteral("Birim Listesine Aktar"), panel);
    m_button6->setEnabled(false);
    // The normaliser's later passes, run by its own button only.
    m_button4 = button(QStringLiteral("Button4"), QStringLiteral("Button4"), panel);
    m_button5 = button(QStringLiteral("Button5"), QStringLiteral("Son"), panel);
    m_button4->hide();
    m_button5->hide();
    grid->addWidget(m_button1, 0, 0);
    grid->addWidget(m_button2, 0, 1);
    grid->addWidget(m_button3, 1, 0);
    grid->addWidget(m_button6, 1, 1);

    auto run = [this](void (TFrmExcel::*handler)()) {
        return [this, handler] { guard::run([&] { (this->*handler)(); }); };
    };
    connect(m_button1, &QPushButton::clicked, this, run(&TFrmExcel::Button1Click));
    connect(m_button2, &QPushButton::clicked, this, run(&TFrmExcel::Button2Click));
    connect(m_button3, &QPushButton::clicked, this, run(&TFrmExcel::Button3Click));
    connect(m_button4, &QPushButton::clicked, this, run(&TFrmExcel::Button4Click));
    connect(m_button5, &QPushButton::clicked, this, run(&TFrmExcel::Button5Click));
    connect(m_button6, &QPushButton::clicked, this, run(&TFrmExcel::Button6Click));
    return panel;
}

QFrame *TFrmExcel::buildStatus()
{
    m_panel3 = new QFrame(this);
    m_panel3->setObjectName(QStringLiteral("Panel3"));
    m_panel3->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(m_panel3);
    m_label6 = label(QStringLiteral("Label6"), QString(), m_panel3);
    m_label6->setMinimumWidth(100);
    m_label2 = label(QStringLiteral("Label2"), QString(), m_panel3);
    m_label2->setMinimumWidth(220);
    m_gauge1 = new QProgressBar(m_panel3);
    m_gauge1->setObjectName(QStringLiteral("Gauge1"));
    m_gauge1->setValue(0);
    row->addWidget(label(QStringLiteral("Label13"), QStringLiteral("Kayıt S. :"), m_panel3));
    row->addWidget(m_label6);
    row->addSpacing(16);
    row->addWidget(label(QStringLiteral("Label15"), QStringLiteral("Durum  :"), m_panel3));
    row->addWidget(m_label2, 1);
    row->addWidget(m_gauge1, 1);
    m_panel3->hide();
    return m_panel3;
}

void TFrmExcel::buildGrid()
{
    m_grid = new TSrDBGrid(this);
    m_grid->setObjectName(QStringLiteral("SrDBGrid1"));
    const int widths[] = {160, 110, 150, 80, 70, 70};
    QList<GridColumn> columns;
    for (int f = 0; f < excelimport::kFieldCount; ++f)
        columns.append({excelimport::fields()[f], excelimport::fieldTitles()[f], widths[f]});
    m_grid->setDataset(m_query, columns);
    connect(m_grid, &TSrDBGrid::recordDoubleClicked, this,
            [this] { guard::run([this] { SrDBGrid1DblClick(); }); });
}

void TFrmExcel::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_button3->setEnabled(false);
    m_button6->setEnabled(false);
}

// ---------------------------------------------------------------- keys and state

bool TFrmExcel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent *>(event)->text();
        const QChar c = typed.isEmpty() ? QChar() : typed.front();
        // Digits and the comma pass, and the control keys (backspace, Tab, copy and paste).
        if (!typed.isEmpty() && c.isPrint() && !(c >= u'0' && c <= u'9') && c != u',') {
            messages::plain(this, QStringLiteral("Bu alana sadece rakam girebilirsiniz!"));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmExcel::keyPressEvent(QKeyEvent *event)
{
    // Escape would close the window and with it drop every staged row.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmExcel::stagingStateChanged()
{
    if (m_followState && m_query->isOpen())
        m_button2->setEnabled(m_query->recordCount() > 0);
}

void TFrmExcel::showPosition()
{
    m_label6->setText(QStringLiteral("%1 / %2").arg(m_query->recordCount()).arg(m_query->recNo()));
}

void TFrmExcel::reopenStaging(bool followState)
{
    m_followState = followState;
    m_query->requery();
    m_followState = true;
    showPosition();
}

bool TFrmExcel::showsProgressNow()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastProgressPaint < kProgressPaintMs)
        return false;
    m_lastProgressPaint = now;
    return true;
}

void TFrmExcel::pause()
{
    if (passPauseMs <= 0)
        return;
    // The window keeps painting; clicks and keys wait until the pause is over.
    QEventLoop loop;
    QTimer::singleShot(passPauseMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// ---------------------------------------------------------------- stage 1

std::optional<ExcelRange> TFrmExcel::checkedRange()
{
    const excelimport::RangeCheck check = excelimport::checkRange(
        {m_edit1->text(), m_edit2->text(), m_edit3->text(), m_edit4->text()});
    if (check.range)
        return check.range;
    messages::warning(this, check.message);
    QLineEdit *boxes[] = {m_edit1, m_edit2, m_edit3, m_edit4};
    QLineEdit *bad = boxes[check.badBox];
    bad->setFocus();
    bad->selectAll();
    return std::nullopt;
}

QString TFrmExcel::askForWorkbook()
{
    KindByName kinds; // outlives the dialog that uses it
    QFileDialog dialog(this, QStringLiteral("Aç"), startFolder());
    dialog.setIconProvider(&kinds);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral("Excel Dosyaları (*.xls *.xlsx)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    lastFolder = dialog.directory().absolutePath();
    return dialog.selectedFiles().constFirst();
}

void TFrmExcel::Button1Click()
{
    const std::optional<ExcelRange> range = checkedRange();
    if (!range || !readerIsThere())
        return;
    const QString path = askForWorkbook();
    if (!path.isEmpty())
        stage(path, *range);
}

bool TFrmExcel::stageWorkbook(const QString &path)
{
    const std::optional<ExcelRange> range = checkedRange();
    return range && readerIsThere() && stage(path, *range);
}

bool TFrmExcel::readerIsThere()
{
    QString missing;
    if (m_reader->isInstalled(&missing))
        return true;
    messages::error(this, missing);
    return false;
}

bool TFrmExcel::stage(const QString &path, const ExcelRange &range)
{
    if (!readAndStage(path, range))
        return false;
    m_label2->setText(kDone);
    m_button3->setEnabled(true);
    return true;
}

bool TFrmExcel::readAndStage(const QString &path, const ExcelRange &range)
{
    maintenance::WaitCursor wait;
    SheetCells cells;
    QString error;
    if (!m_reader->read(path, excelimport::cellsToRead(range), &cells, &error)) {
        messages::error(this, error + QLatin1Char('\n') + kNothingRead);
        return false;
    }
    const std::vector<excelimport::StagedRow> rows =
        excelimport::rowsFromSheet(cells, range, m_edit5->text());
    const QStringList overlong = excelimport::overlongValues(rows);
    if (!overlong.isEmpty()) {
        QStringList shown = overlong.mid(0, 10);
        if (overlong.size() > shown.size())
            shown << QStringLiteral("... ve %1 değer daha").arg(overlong.size() - shown.size());
        messages::error(
            this, QStringLiteral("Bazı hücreler alanlarına sığmayacak kadar uzun:\n%1\n\n"
                                 "Çalışma kitabında bu hücreleri kısaltıp yeniden deneyin. %2")
                      .arg(shown.join(QLatin1Char('\n')), kNothingRead));
        return false;
    }
    if (m_query->isEditing())
        m_query->post();
    m_lastProgressPaint = 0;
    try {
        m_table.append(
            rows, [&](const excelimport::StagedRow &row) { showStagedRow(row, range.lastRow); });
    } catch (const DbError &e) {
        messages::error(this, reasonOf(e) + QLatin1Char('\n') + kNothingRead);
        return false;
    }
    if (!rows.empty()) {
        m_gauge1->setValue(rows.back().sheetRow);
        reopenStaging(true);
        m_query->last();
    }
    return true;
}

void TFrmExcel::showStagedRow(const excelimport::StagedRow &row, int lastRow)
{
    if (!m_panel3->isVisible()) {
        m_gauge1->setRange(0, lastRow);
        m_panel3->show();
    }
    if (!showsProgressNow())
        return;
    m_gauge1->setMaximum(lastRow);
    m_gauge1->setValue(row.sheetRow);
    m_label2->setText(row.values[0]);
    m_panel3->repaint();
}

// ---------------------------------------------------------------- review

void TFrmExcel::Button2Click()
{
    m_label2->setText(QStringLiteral("Kayıtlar siliniyor..."));
    m_gauge1->setRange(0, m_query->recordCount());
    m_gauge1->setValue(0);
    if (m_query->isEditing())
        m_query->cancel();
    m_table.clear();
    reopenStaging(false);
    m_gauge1->setValue(0);
    m_label2->setText(QStringLiteral("İşlem Tamamlandı"));
    m_button3->setEnabled(false);
    m_button6->setEnabled(false);
}

void TFrmExcel::applyPhonePass(excelimport::PhonePass pass)
{
    if (m_query->isEditing())
        m_query->post();
    const int place = m_query->recNo();
    m_table.applyPhonePass(pass);
    reopenStaging(true);
    if (place > 0)
        m_query->setRecNo(place);
    m_grid->viewport()->repaint();
}

void TFrmExcel::Button3Click()
{
    m_button3->setEnabled(false);
    m_label2->setText(QStringLiteral("..."));
    applyPhonePass(excelimport::PhonePass::Strip);
    pause();
    Button4Click();
    pause();
    Button5Click();
    m_button6->setEnabled(true);
    tellPhonesLeft();
}

void TFrmExcel::tellPhonesLeft()
{
    const QList<int> left = m_table.phonesLeftAsTheyWere(m_edit5->text());
    if (left.isEmpty())
        return;
    QStringList places;
    for (int place : left.mid(0, 10))
        places << QString::number(place);
    m_label2->setText(
        QStringLiteral("%1 telefon numarası olduğu gibi bırakıldı.").arg(left.size()));
    messages::information(
        this, QStringLiteral("%1 kaydın telefon numarası 10 haneli bir numaraya getirilemediği "
                             "için olduğu gibi bırakıldı (kayıt %2%3).\nBirim telefonu 10 "
                             "haneden oluşur; bu kayıtları listede çift tıklayarak "
                             "düzeltebilirsiniz.")
                  .arg(left.size())
                  .arg(places.join(QStringLiteral(", ")),
                       left.size() > 10 ? QStringLiteral(", ...") : QString()));
}

void TFrmExcel::Button4Click()
{
    applyPhonePass(excelimport::PhonePass::Pad);
}

void TFrmExcel::Button5Click()
{
    applyPhonePass(excelimport::PhonePass::Group);
}

void TFrmExcel::SrDBGrid1DblClick()
{
    TFrmExcels editor(m_query, this);
    editor.exec();
}

// ---------------------------------------------------------------- stage 3

void TFrmExcel::Button6Click()
{
    if (m_query->isEditing())
        m_query->post();
    if (m_table.count() == 0)
        return;
    const QList<int> tooLong = m_table.namesTooLongForUnits();
    if (!tooLong.isEmpty()) {
        QStringList places;
        for (int place : tooLong.mid(0, 10))
            places << QString::number(place);
        messages::warning(
            this, QStringLiteral("Birim Adı 50 karakterden uzun olan kayıtlar var (kayıt %1%2).\n"
                                 "Bu kayıtları düzeltip yeniden deneyin. Birim listesine hiçbir "
                                 "kayıt aktarılmadı.")
                      .arg(places.join(QStringLiteral(", ")),
                           tooLong.size() > 10 ? QStringLiteral(", ...") : QString()));
        return;
    }
    maintenance::WaitCursor wait;
    excelimport::StagingTable::Transfer moved;
    try {
        maintenance::ProgressBarShow progress(m_gauge1);
        moved = m_table.moveToUnits(&progress);
    } catch (const DbError &e) {
        messages::error(this, QStringLiteral("Kayıtlar birim listesine aktarılamadı; hiçbir kayıt "
                                             "aktarılmadı.\n%1")
                                  .arg(reasonOf(e)));
        return;
    }
    excelimport::showNewUnits(m_data->units(), moved.lastKey);
    reopenStaging(false);
    if (moved.count > 0)
        m_label2->setText(QStringLiteral("İşlem Başarılı..."));
}

// ---------------------------------------------------------------- closing

void TFrmExcel::done(int result)
{
    // Nothing staged outlives the window.
    guard::run([this] {
        if (m_query->isEditing())
            m_query->cancel();
        m_table.clear();
    });
    QDialog::done(result);
}
