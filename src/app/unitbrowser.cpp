#include "unitbrowser.h"

#include "data/sharedqueries.h"
#include "toolkit/idlerefresh.h"
#include "reports/listexportcommand.h"
#include "tform1.h"
#include "toolkit/tsrdbgrid.h"
#include "toolkit/unioncolours.h"
#include "toolkit/dbedit.h"
#include "toolkit/guard.h"
#include "toolkit/controls.h"
#include "toolkit/hints.h"
#include "toolkit/keyfilters.h"
#include "toolkit/messages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

using controls::commandButton;
using controls::name;

namespace {

const QString kSearchParam = QStringLiteral("aranan");

struct StaffColumn {
    const char *field;
    const char *title;
};

// The staff grid's 23 columns, in the order of the field flags.
const StaffColumn kStaffColumns[23] = {
    {"Birlestir", " ADI SOYADI"},
    {"sendikasi", " KAYITLI OLDUĞU SENDİKA"},
    {"sendika_kayit_tarihi", " SENDİKA KAYIT T. "},
    {"unvani", " KADRO ÜNVANI "},
    {"bransi", " BRANŞI "},
    {"ev_tel", " EV TELEFONU "},
    {"cep_tel", " CEP TELEFONU"},
    {"calistigi_kurum", " ÇALIŞTIĞI BİRİM"},
    {"isyeri_tel", " İŞ TELEFONU "},
    {"hizmet_yili", " HİZMET Y. "},
    {"calistigi_il", " ÇALIŞTIĞI İL "},
    {"emaili", " E-POSTA ADRESİ "},
    {"baba_adi", " BABA ADI"},
    {"anne_adi", " ANA ADI"},
    {"tc_kimlik", " TC KİMLİK NO "},
    {"dogum_yeri", "DOĞUM YERİ "},
    {"dogum_tarihi", " DOĞRUM TARİHİ "},
    {"cinsiyeti", " CİNSİYETİ "},
    {"ev_adresi", " EV ADRESİ"},
    {"medeni_durumu", " MEDENİ D. "},
    {"esinin_meslegi", " EŞİNİN MESLEĞİ "},
    {"esinin_kurumu", " EŞİNİN KURUMU "},
    {"kan_grubu", " KAN GRUBU"},
};

// A page with a single, disabled tab as its title.
QWidget *titledPage(const QString &title, QWidget *parent, QVBoxLayout **body)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *tabs = new QTabBar(page);
    tabs->addTab(title);
    tabs->setTabEnabled(0, false);
    tabs->setDrawBase(false);
    layout->addWidget(tabs);
    auto *frame = new QFrame(page);
    frame->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(frame, 1);
    *body = new QVBoxLayout(frame);
    (*body)->setContentsMargins(4, 4, 4, 4);
    (*body)->setSpacing(4);
    return page;
}

void colourGrid(TSrDBGrid *grid)
{
    grid->setBackground(QColor(244, 242, 242));
    grid->setColorAlternative(Qt::white);
    grid->setColorSelect(QColor(214, 223, 247));
    grid->setColorSelectText(Qt::black);
}

QLineEdit *searchBox(const QString &objectName, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    name(edit, objectName);
    hints::set(edit, QStringLiteral("|Seçilen kritere göre arama..."));
    keyfilters::install(edit, keyfilters::searchKey);
    return edit;
}

QToolButton *clearButton(const QString &objectName, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    name(button, objectName, QStringLiteral("Listele"));
    button->setText(QStringLiteral("X"));
    button->setAutoRaise(true);
    hints::set(button, QStringLiteral("|Listele"));
    return button;
}

QComboBox *criterionList(const QString &objectName, const QStringList &items, QWidget *parent)
{
    auto *list = new QComboBox(parent);
    name(list, objectName);
    list->addItems(items);
    list->setCurrentIndex(0);
    hints::set(list, QStringLiteral("|Arama yapmak için kriter seçimi..."));
    return list;
}

} // namespace

const QStringList &UnitBrowser::staffFields()
{
    static const QStringList fields = [] {
        QStringList out;
        for (const StaffColumn &c : kStaffColumns)
            out << QLatin1String(c.field);
        return out;
    }();
    return fields;
}

UnitBrowser::UnitBrowser(TForm1 *form, QWidget *panel) : QObject(form), m_form(form), m_panel(panel)
{
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *upper = new QHBoxLayout;
    upper->setSpacing(6);
    upper->addWidget(buildUnitPage(), 1);
    upper->addWidget(buildUnitDetails());
    layout->addLayout(upper, 1);
    layout->addWidget(buildStaffPage(), 1);
    buildMenus();
    connectQueries();
}

QWidget *UnitBrowser::buildUnitPage()
{
    QVBoxLayout *body;
    QWidget *page = titledPage(QStringLiteral(" BİRİM LİSTESİ"), m_panel, &body);
    auto *row = new QHBoxLayout;
    m_edit1 = searchBox(QStringLiteral("Edit1"), page);
    m_speedButton1 = clearButton(QStringLiteral("SpeedButton1"), page);
    m_comboBox1 = criterionList(QStringLiteral("ComboBox1"),
                                {QStringLiteral("Birim Adına Göre"), QStringLiteral("Birim Müdürüne Göre")}, page);
    row->addWidget(m_edit1, 1);
    row->addWidget(m_speedButton1);
    row->addWidget(m_comboBox1);
    body->addLayout(row);

    m_srDBGrid2 = new TSrDBGrid(page);
    name(m_srDBGrid2, QStringLiteral("SrDBGrid2"));
    colourGrid(m_srDBGrid2);
    m_srDBGrid2->setTitlesSort(true);
    m_srDBGrid2->setDataset(m_form->data()->units(),
                            {{QStringLiteral("okul_adi"), QStringLiteral(" Birim Adı"), 210},
                             {QStringLiteral("okul_muduru"), QStringLiteral(" Birim Müdürü"), 140}});
    body->addWidget(m_srDBGrid2, 1);

    connect(m_edit1, &QLineEdit::textChanged, this, [this] { guard::run([this] { Edit1Change(); }); });
    connect(m_speedButton1, &QToolButton::clicked, m_edit1, &QLineEdit::clear);
    connect(m_srDBGrid2, &TSrDBGrid::titleClicked, this,
            [this](int column) { guard::run([&] { titleClick(m_srDBGrid2, column); }); });
    connect(m_srDBGrid2, &TSrDBGrid::recordDoubleClicked, this, [this] { showUnit(); });
    m_srDBGrid2->setDeleteCheck([this] { return unitMayBeDeleted(); });
    return page;
}

QWidget *UnitBrowser::buildUnitDetails()
{
    auto *box = new QWidget(m_panel);
    box->setFixedWidth(330);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *buttons = new QGroupBox(box);
    auto *buttonRow = new QHBoxLayout(buttons);
    m_bitBtn4 = commandButton(QStringLiteral("BitBtn4"), QStringLiteral("Yeni Birim Kaydı"),
                              QStringLiteral("|Yeni birim kaydetme penceresi..."), buttons);
    m_bitBtn8 = commandButton(QStringLiteral("BitBtn8"), QStringLiteral("Birim Listesi"),
                              QStringLiteral("|Kayıtlı birimler çıktısı..."), buttons);
    m_bitBtn9 = commandButton(QStringLiteral("BitBtn9"), QStringLiteral("Birim/Personel Listesi"),
                              QStringLiteral("|Aktif Birim/Personel çıktısı..."), buttons);
    auto *column = new QVBoxLayout;
    column->addWidget(m_bitBtn4);
    column->addWidget(m_bitBtn8);
    column->addWidget(m_bitBtn9);
    buttonRow->addLayout(column);
    layout->addWidget(buttons);
    m_bitBtn4->setEnabled(false); // until the unit form is there
    // The lists follow their own enabling rule (units listed).
    m_form->commands().bind(Command::UnitList, m_bitBtn8, false);
    m_form->commands().bind(Command::UnitStaffList, m_bitBtn9, false);
    connect(m_bitBtn4, &QPushButton::clicked, this, [this] { guard::run([this] { newUnit(); }); });

    auto *details = new QGroupBox(box);
    auto *form = new QFormLayout(details);
    form->setLabelAlignment(Qt::AlignRight);
    const QList<QPair<QString, QString>> fields = {
        {QStringLiteral("Birim Adı :"), QStringLiteral("okul_adi")},
        {QStringLiteral("Birim Müdürü :"), QStringLiteral("okul_muduru")},
        {QStringLiteral("Birim Adresi :"), QStringLiteral("adresi")},
        {QStringLiteral("Birim Telefonu :"), QStringLiteral("telefonu")},
        {QStringLiteral("İli :"), QStringLiteral("ili")},
        {QStringLiteral("İlçesi :"), QStringLiteral("ilcesi")},
    };
    for (const auto &[caption, field] : fields) {
        auto *edit = new DBEdit(m_form->data()->units(), field, details);
        name(edit, QStringLiteral("DBEditBirim_") + field, caption);
        edit->setEnabled(false);
        form->addRow(caption, edit);
    }
    layout->addWidget(details, 1);
    return box;
}

QWidget *UnitBrowser::buildStaffPage()
{
    QVBoxLayout *body;
    QWidget *page = titledPage(QStringLiteral(" PERSONEL LİSTESİ"), m_panel, &body);
    auto *row = new QHBoxLayout;
    m_edit2 = searchBox(QStringLiteral("Edit2"), page);
    m_speedButton2 = clearButton(QStringLiteral("SpeedButton2"), page);
    m_comboBox2 = criterionList(QStringLiteral("ComboBox2"),
                                {QStringLiteral("Adı Soyadına Göre"), QStringLiteral("Sendika Adına Göre"),
                                 QStringLiteral("Kan Grubuna Göre"), QStringLiteral("SENDİKASIZLARI GÖSTER")},
                                page);
    m_bitBtn5 = commandButton(QStringLiteral("BitBtn5"), QStringLiteral("Yeni Personel Kaydı"),
                              QStringLiteral("|Seçili birim için yeni personel kaydı..."), page);
    m_bitBtn11 = commandButton(QStringLiteral("BitBtn11"), QStringLiteral("Kişisel Detaylar"),
                               QStringLiteral("|Seçili Üye detayları..."), page);
    m_btnPersonelDisaAktar = commandButton(
        QStringLiteral("BtnPersonelDisaAktar"), QStringLiteral("Listeyi Dışa Aktar"),
        QStringLiteral("|Seçili birimin personel listesini Excel ya da CSV dosyasına aktar..."), page);
    connect(m_btnPersonelDisaAktar, &QPushButton::clicked, this,
            [this] { guard::run([this] { exportList(m_srDBGrid1); }); });
    m_bitBtn5->setEnabled(false); // until the member form is there
    m_form->commands().bind(Command::UnitStaffCard, m_bitBtn11, false);
    row->addWidget(m_edit2, 1);
    row->addWidget(m_speedButton2);
    row->addWidget(m_comboBox2);
    row->addStretch();
    row->addWidget(m_bitBtn5);
    row->addWidget(m_bitBtn11);
    row->addWidget(m_btnPersonelDisaAktar);
    body->addLayout(row);

    m_srDBGrid1 = new TSrDBGrid(page);
    name(m_srDBGrid1, QStringLiteral("SrDBGrid1"));
    colourGrid(m_srDBGrid1);
    m_srDBGrid1->setTitlesSort(true);
    QList<GridColumn> columns;
    const Settings &settings = m_form->settings();
    for (int i = 0; i < 23; ++i)
        columns.append({QLatin1String(kStaffColumns[i].field), QString::fromUtf8(kStaffColumns[i].title),
                        settings.columnWidths[size_t(i)]});
    Dataset *uye = m_form->data()->unitStaff();
    m_srDBGrid1->setDataset(uye, columns);
    m_srDBGrid1->setTextColourHook([this, uye](int row) {
        const int field = uye->fieldIndex(QStringLiteral("sendikasi"));
        return unionColour(uye->valueAt(row, field), m_form->colourSlotList(), m_form->settings().colours);
    });
    body->addWidget(m_srDBGrid1, 1);

    connect(m_edit2, &QLineEdit::textChanged, this, [this] { guard::run([this] { Edit2Change(); }); });
    connect(m_speedButton2, &QToolButton::clicked, m_edit2, &QLineEdit::clear);
    connect(m_comboBox2, &QComboBox::activated, this, [this] { guard::run([this] { ComboBox2Change(); }); });
    connect(m_srDBGrid1, &TSrDBGrid::titleClicked, this,
            [this](int column) { guard::run([&] { titleClick(m_srDBGrid1, column); }); });
    connect(m_srDBGrid1, &TSrDBGrid::recordDoubleClicked, this, [this] { showMember(); });
    connect(m_srDBGrid1, &TSrDBGrid::columnWidthChanged, this, [this](int column, int width) {
        if (width > 0) // a hidden column reports 0; its width stays what it was
            m_form->settings().columnWidths[size_t(column)] = width;
    });
    connect(m_bitBtn5, &QPushButton::clicked, this, [this] { guard::run([this] { newMember(); }); });
    return page;
}

void UnitBrowser::buildMenus()
{
    auto moves = [](QMenu *menu, Dataset *query) {
        QAction *first = menu->addAction(QStringLiteral("İlk Kayıt"), [query] { guard::run([query] { query->first(); }); });
        QAction *prior = menu->addAction(QStringLiteral("Önceki Kayıt"), [query] { guard::run([query] { query->prior(); }); });
        QAction *next = menu->addAction(QStringLiteral("Sonraki Kayıt"), [query] { guard::run([query] { query->next(); }); });
        QAction *last = menu->addAction(QStringLiteral("Son Kayıt"), [query] { guard::run([query] { query->last(); }); });
        QObject::connect(menu, &QMenu::aboutToShow, menu, [=] {
            const bool open = query->isOpen() && !query->isEmpty();
            const bool atFirst = !open || query->recNo() <= 1;
            const bool atLast = !open || query->recNo() >= query->recordCount();
            first->setEnabled(!atFirst);
            prior->setEnabled(!atFirst);
            next->setEnabled(!atLast);
            last->setEnabled(!atLast);
        });
    };

    m_popupKurum = new QMenu(m_srDBGrid2);
    m_popupKurum->setObjectName(QStringLiteral("PopupKurum"));
    CommandRegistry &commands = m_form->commands();
    commands.bind(Command::UnitList, m_popupKurum->addAction(QStringLiteral("Birim Listesi")), false);
    commands.bind(Command::UnitStaffList, m_popupKurum->addAction(QStringLiteral("Birim Personel Listesi")), false);
    m_popupKurum->addAction(QStringLiteral("Listeyi Dışa Aktar"), this, [this] {
        guard::run([this] { exportList(m_srDBGrid2); });
    })->setObjectName(QStringLiteral("KurumDisaAktar1"));
    m_popupKurum->addSeparator();
    m_showUnit = m_popupKurum->addAction(QStringLiteral("Detayları Göster"), this, &UnitBrowser::showUnit);
    m_newUnit = m_popupKurum->addAction(QStringLiteral("Yeni Birim Kaydı"), this,
                                        [this] { guard::run([this] { newUnit(); }); });
    m_popupKurum->addSeparator();
    moves(m_popupKurum, m_form->data()->units());

    m_popupKisisel = new QMenu(m_srDBGrid1);
    m_popupKisisel->setObjectName(QStringLiteral("PopupKisisel"));
    commands.bind(Command::UnitStaffCard, m_popupKisisel->addAction(QStringLiteral("Kişisel Detayları Yazdır")),
                  false);
    m_popupKisisel->addAction(QStringLiteral("Listeyi Dışa Aktar"), this, [this] {
        guard::run([this] { exportList(m_srDBGrid1); });
    })->setObjectName(QStringLiteral("KisiselDisaAktar1"));
    m_popupKisisel->addSeparator();
    m_showMember = m_popupKisisel->addAction(QStringLiteral("Detayları Göster"), this, &UnitBrowser::showMember);
    m_newMember = m_popupKisisel->addAction(QStringLiteral("Yeni Personel Kaydı"), this,
                                            [this] { guard::run([this] { newMember(); }); });
    m_popupKisisel->addSeparator();
    QAction *fields = m_popupKisisel->addAction(QStringLiteral("Alan Gösterimleri"), this, [this] {
        if (m_openVisibleFields)
            m_openVisibleFields();
    });
    fields->setObjectName(QStringLiteral("AlanGsterimleri1"));
    m_popupKisisel->addSeparator();
    moves(m_popupKisisel, m_form->data()->unitStaff());

    for (auto [grid, menu] : {std::pair{m_srDBGrid2, m_popupKurum}, std::pair{m_srDBGrid1, m_popupKisisel}}) {
        grid->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grid, &QWidget::customContextMenuRequested, menu,
                [grid, menu](const QPoint &at) { menu->popup(grid->viewport()->mapToGlobal(at)); });
    }
    // The forms' commands stay unavailable until the forms are there.
    for (QAction *action : {m_showUnit, m_newUnit, m_showMember, m_newMember})
        action->setEnabled(false);
}

void UnitBrowser::connectQueries()
{
    SharedQueries *data = m_form->data();
    connect(data->units(), &Dataset::afterScroll, this, [this](Dataset *okul) {
        const bool any = okul->recordCount() > 0;
        for (QWidget *w : {static_cast<QWidget *>(m_bitBtn8), static_cast<QWidget *>(m_bitBtn9),
                           static_cast<QWidget *>(m_comboBox1), static_cast<QWidget *>(m_edit1)})
            w->setEnabled(any);
    });
    connect(data->unitStaff(), &Dataset::afterScroll, this, [this](Dataset *uye) {
        const bool any = uye->recordCount() > 0;
        for (QWidget *w : {static_cast<QWidget *>(m_bitBtn11), static_cast<QWidget *>(m_comboBox2),
                           static_cast<QWidget *>(m_edit2), static_cast<QWidget *>(m_btnPersonelDisaAktar)})
            w->setEnabled(any);
    });
}

void UnitBrowser::addIdleRules()
{
    IdleRefresh *idle = m_form->idleRefresh();
    idle->addRule([this] {
        IdleRefresh::setEnabled(m_speedButton1, !m_edit1->text().isEmpty());
        IdleRefresh::setEnabled(m_speedButton2, !m_edit2->text().isEmpty());
    });
    idle->addRule([this] {
        const auto &flags = m_form->settings().fieldFlags;
        for (int n = 0; n < 23; ++n) {
            const bool hidden = !flags[size_t(n)];
            if (m_srDBGrid1->isColumnHidden(n) != hidden)
                m_srDBGrid1->setColumnHidden(n, hidden);
        }
    });
}

// ---------------------------------------------------------------- searches

void UnitBrowser::runStatement(Dataset *query, const QString &statement, const QString &text)
{
    query->close();
    query->clearSql();
    query->addSql(statement);
    query->clearParams();
    // Typed text travels as a parameter value: quotes and column names in it are just text.
    query->setParam(kSearchParam, text);
    query->open();
    query->first();
}

void UnitBrowser::clearKeepingFocus(QLineEdit *searchBox, bool typing)
{
    searchBox->clear();
    // An empty result disabled the box, which took the focus away from it: the user goes on
    // typing there after the message.
    if (typing && searchBox->isEnabled())
        searchBox->setFocus(Qt::OtherFocusReason);
}

void UnitBrowser::Edit1Change()
{
    Dataset *okul = m_form->data()->units();
    const QString text = m_edit1->text();
    const bool typing = m_edit1->hasFocus();
    if (text.isEmpty()) {
        runStatement(okul, QStringLiteral("SELECT * FROM okul Order By okul_adi"), QString());
    } else {
        const QString column = m_comboBox1->currentIndex() == 1 ? QStringLiteral("okul_muduru")
                                                                : QStringLiteral("okul_adi");
        runStatement(okul, QStringLiteral("SELECT * FROM okul WHERE %1 Like :aranan").arg(column),
                     text + QLatin1Char('%'));
    }
    if (okul->isEmpty() && !text.isEmpty()) {
        messages::information(m_form, QStringLiteral("Aradığınız kriterlere uygun birim kaydı bulunamadı."));
        clearKeepingFocus(m_edit1, typing);
    }
}

void UnitBrowser::Edit2Change()
{
    // The staff search holds its result to the current unit. Asking for the unit in the
    // statement itself shows exactly those rows and lets the index on SiraNo find them,
    // instead of reading every staff row at each keystroke.
    Dataset *uye = m_form->data()->unitStaff();
    const QString text = m_edit2->text();
    const bool typing = m_edit2->hasFocus();
    if (text.isEmpty()) {
        runStatement(uye, QStringLiteral("SELECT * FROM uyeler WHERE SiraNo = :SiraNo Order By adi"), QString());
    } else {
        static const char *columns[] = {"Birlestir", "sendikasi", "kan_grubu", "sendikasi"};
        const int criterion = std::clamp(m_comboBox2->currentIndex(), 0, 3);
        const bool wholeValue = criterion == 3;
        runStatement(uye,
                     QStringLiteral("SELECT * FROM uyeler WHERE %1 Like :aranan AND SiraNo = :SiraNo")
                         .arg(QLatin1String(columns[criterion])),
                     wholeValue ? text : text + QLatin1Char('%'));
    }
    if (uye->isEmpty() && !text.isEmpty()) {
        messages::information(m_form, QStringLiteral("Aradığınız kriterlere uygun personel bulunamadı."));
        clearKeepingFocus(m_edit2, typing);
    }
}

void UnitBrowser::ComboBox2Change()
{
    if (m_comboBox2->currentIndex() == 3)
        m_edit2->setText(QStringLiteral("<<< KAYITSIZ >>>"));
}

void UnitBrowser::titleClick(TSrDBGrid *grid, int column)
{
    Dataset *query = grid->dataset();
    grid->setMarkedColumn(column);
    const QString field = grid->datasetModel()->columns().value(column).field;
    if (!query->isOpen() || field.isEmpty())
        return;
    const QString sort = query->sort();
    const bool descending = sort.startsWith(field) && !sort.contains(QLatin1String(" DESC"));
    query->setSort(field + (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC")));
}

void UnitBrowser::exportList(TSrDBGrid *grid)
{
    const bool units = grid == m_srDBGrid2;
    listexportcommand::run(grid, units ? QStringLiteral("Birim Listesi") : QStringLiteral("Birim Personel Listesi"),
                           m_form);
}

void UnitBrowser::shown()
{
    m_edit1->clear();
    m_edit2->clear();
}

// ---------------------------------------------------------------- commands

bool UnitBrowser::unitMayBeDeleted()
{
    Dataset *okul = m_form->data()->units();
    if (okul->isEmpty() || okul->state() == Dataset::State::Insert)
        return true;
    if (m_form->data()->staffCountOfUnit(okul->value(QStringLiteral("SiraNo"))) > 0) {
        messages::plain(m_form, QStringLiteral("Silmek istediğiniz birime ait personel kayıtları var. "
                                               "Önce personel kayıtlarını silmelisiniz!"));
        return false;
    }
    return true;
}

void UnitBrowser::setUnitForm(std::function<void()> open)
{
    m_openUnitForm = std::move(open);
    m_bitBtn4->setEnabled(bool(m_openUnitForm));
    m_showUnit->setEnabled(bool(m_openUnitForm));
    m_newUnit->setEnabled(bool(m_openUnitForm));
}

void UnitBrowser::setMemberForm(std::function<void()> open)
{
    m_openMemberForm = std::move(open);
    m_bitBtn5->setEnabled(bool(m_openMemberForm));
    m_showMember->setEnabled(bool(m_openMemberForm));
    m_newMember->setEnabled(bool(m_openMemberForm));
}

void UnitBrowser::setVisibleFieldsDialog(std::function<void()> open)
{
    m_openVisibleFields = std::move(open);
}

void UnitBrowser::newUnit()
{
    if (!m_openUnitForm)
        return;
    m_form->data()->units()->append();
    m_openUnitForm();
}

void UnitBrowser::newMember()
{
    if (!m_openMemberForm)
        return;
    m_form->data()->unitStaff()->append();
    m_openMemberForm();
}

void UnitBrowser::showUnit()
{
    if (m_openUnitForm)
        guard::run(m_openUnitForm);
}

void UnitBrowser::showMember()
{
    if (m_openMemberForm)
        guard::run(m_openMemberForm);
}
