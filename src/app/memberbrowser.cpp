#include "memberbrowser.h"

#include "stafflistarrival.h"

#include "data/memberlists.h"
#include "data/sharedqueries.h"
#include "toolkit/idlerefresh.h"
#include "reports/tfrmkimlikdenetimi.h"
#include "reports/listexportcommand.h"
#include "tform1.h"
#include "toolkit/guard.h"
#include "toolkit/controls.h"
#include "toolkit/hints.h"
#include "toolkit/keyfilters.h"
#include "toolkit/messages.h"
#include "toolkit/tsrdbgrid.h"
#include "toolkit/unioncolours.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>

using controls::commandButton;
using controls::name;

namespace
{

const QString kKayitsiz = QStringLiteral("<<< KAYITSIZ >>>");
const QString kNoMatch = QStringLiteral("Aradığınız kriterlere uygun kayıt bulunamadı.");
const QString kAllStaff = QStringLiteral("SELECT * FROM uyeler Order By adi");
const QString kUnionParam = QStringLiteral("sendika");
const QString kBloodParam = QStringLiteral("kan");

const QColor kCaptionGrey(128, 128, 128);
const QColor kDimmed(160, 160, 160);

void setTextColour(QWidget *widget, const QColor &colour)
{
    // Only a real change touches the palette: the idle-time refresh calls this constantly.
    if (widget->palette().color(QPalette::WindowText) == colour)
        return;
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    widget->setPalette(p);
}

QLabel *captionLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    setTextColour(label, kCaptionGrey);
    return label;
}

QGridLayout *detailGrid()
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(2, 1);
    return grid;
}

// A group with its caption and a grid of rows.
QGroupBox *detailGroup(const QString &title, const QString &objectName, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    name(group, objectName, title);
    QFont font = group->font();
    font.setBold(true);
    group->setFont(font);
    return group;
}

// The group's bold title font must not reach the rows inside it.
void plainFont(QWidget *widget)
{
    QFont font = widget->font();
    font.setBold(false);
    widget->setFont(font);
}

// A detail page whose groups stand at its top.
QVBoxLayout *pageLayout(QWidget *page, const QString &objectName)
{
    page->setObjectName(objectName);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

// The inside of a group: plain letters under the bold title.
QWidget *groupBody(QGroupBox *group)
{
    auto *body = new QWidget(group);
    plainFont(body);
    (new QVBoxLayout(group))->addWidget(body);
    return body;
}

QGridLayout *bodyGrid(QWidget *body)
{
    QGridLayout *grid = detailGrid();
    grid->setContentsMargins(0, 0, 0, 0);
    body->setLayout(grid);
    return grid;
}

} // namespace

const QStringList &MemberBrowser::bloodGroups()
{
    return memberlists::bloodGroups();
}

MemberBrowser::MemberBrowser(TForm1 *form, QWidget *panel)
    : QObject(form), m_form(form), m_panel(panel)
{
    // The name search runs at every keystroke over all staff; the folded names are made
    // while the rows are fetched rather than at the first keystroke.
    personel()->setPrefixSearchField(QStringLiteral("Birlestir"));

    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(buildTitleBar());
    layout->addWidget(buildSearchRow());

    auto *body = new QHBoxLayout;
    body->setSpacing(6);
    m_srDBGrid3 = new TSrDBGrid(panel);
    name(m_srDBGrid3, QStringLiteral("SrDBGrid3"), QStringLiteral("ADI SOYADI"));
    m_srDBGrid3->setBackground(QColor(244, 242, 242));
    m_srDBGrid3->setColorAlternative(Qt::white);
    m_srDBGrid3->setColorSelect(Qt::black);
    m_srDBGrid3->setColorSelectText(Qt::yellow);
    Dataset *query = personel();
    m_srDBGrid3->setDataset(query,
                            {{QStringLiteral("Birlestir"), QStringLiteral(" ADI SOYADI"), 197}});
    m_srDBGrid3->setTextColourHook([this, query](int row) {
        const int field = query->fieldIndex(QStringLiteral("sendikasi"));
        if (field < 0)
            return QColor();
        return unionColour(query->valueAt(row, field), m_form->colourSlotList(),
                           m_form->settings().colours);
    });
    // The name column fills the list exactly, with room for its scroll bar.
    m_srDBGrid3->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_srDBGrid3->setFixedWidth(
        197 + 2 * m_srDBGrid3->frameWidth() +
        m_srDBGrid3->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_srDBGrid3) + 2);
    body->addWidget(m_srDBGrid3);

    auto *right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(buildDetailPages());
    right->addWidget(buildButtons());
    right->addWidget(buildNotes(), 1);
    right->addStretch();
    body->addLayout(right, 1);
    layout->addLayout(body, 1);

    buildMenu();
    connectQuery();
    addIdleRules();
    refreshDetails();
}

Dataset *MemberBrowser::personel() const
{
    return m_form->data()->staff();
}

// ---------------------------------------------------------------- layout

QWidget *MemberBrowser::buildTitleBar()
{
    auto *title = new QLabel(QStringLiteral("PERSONEL ARA"), m_panel);
    name(title, QStringLiteral("LabelPersonelAra"), QStringLiteral("PERSONEL ARA"));
    title->setAutoFillBackground(true);
    QPalette p = title->palette();
    p.setColor(QPalette::Window, kCaptionGrey);
    p.setColor(QPalette::WindowText, Qt::white);
    title->setPalette(p);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    title->setFixedHeight(24);
    return title;
}

QWidget *MemberBrowser::buildSearchRow()
{
    auto *row = new QWidget(m_panel);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    m_edit3 = new QLineEdit(row);
    name(m_edit3, QStringLiteral("Edit3"), QStringLiteral("Arama"));
    hints::set(m_edit3, QStringLiteral("|Arama..."));
    keyfilters::install(m_edit3, keyfilters::searchKey);
    m_edit3->setFixedWidth(200);

    m_speedButton3 = new QToolButton(row);
    name(m_speedButton3, QStringLiteral("SpeedButton3"), QStringLiteral("Arama kutusunu temizle"));
    m_speedButton3->setText(QStringLiteral("X"));
    m_speedButton3->setAutoRaise(true);
    hints::set(m_speedButton3, QStringLiteral("|Arama kutusunu temizle..."));

    m_cbAra = new QComboBox(row);
    name(m_cbAra, QStringLiteral("CbAra"), QStringLiteral("Sendikalara göre filtre"));
    hints::set(m_cbAra, QStringLiteral("|Sendikalara göre filtre..."));
    m_cbAra->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cbAra->setMinimumContentsLength(24);
    m_form->registerUnionList(
        m_cbAra, {QStringLiteral("Tümünü Göster"), QStringLiteral("Sendikasızları Göster")});
    // "..." stands for all unions once a blood group narrows "Tümünü Göster".
    m_cbAra->setPlaceholderText(QStringLiteral("..."));
    m_cbAra->setCurrentIndex(0);

    auto *arrow = new QLabel(QStringLiteral(" > "), row);
    arrow->setObjectName(QStringLiteral("LabelKanAyrac"));

    m_cbKan = new QComboBox(row);
    name(m_cbKan, QStringLiteral("CbKan"), QStringLiteral("Kan grubuna göre filtre"));
    hints::set(m_cbKan, QStringLiteral("|Kan grubuna göre filtre..."));
    m_cbKan->addItems(bloodGroups());
    m_cbKan->setPlaceholderText(QStringLiteral("Kan Grubu"));
    m_cbKan->setCurrentIndex(-1);
    m_cbKan->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cbKan->setMinimumContentsLength(9);

    layout->addWidget(m_edit3);
    layout->addWidget(m_speedButton3);
    layout->addWidget(m_cbAra);
    layout->addWidget(arrow);
    layout->addWidget(m_cbKan);
    layout->addStretch();

    connect(m_edit3, &QLineEdit::textChanged, this,
            [this] { guard::run([this] { Edit3Change(); }); });
    connect(m_speedButton3, &QToolButton::clicked, m_edit3, &QLineEdit::clear);
    // activated: only the user's pick filters, never a text set by the filters themselves.
    connect(m_cbAra, &QComboBox::activated, this,
            [this](int index) { guard::run([&] { CbAraChange(index); }); });
    connect(m_cbKan, &QComboBox::activated, this,
            [this](int index) { guard::run([&] { CbKanChange(index); }); });
    return row;
}

QLabel *MemberBrowser::valueLabel(const QString &field, const QString &caption, QWidget *parent,
                                  const QString &objectName)
{
    auto *label = new QLabel(parent);
    name(label, objectName.isEmpty() ? QStringLiteral("DBText_") + field : objectName, caption);
    setTextColour(label, Qt::black);
    label->setTextFormat(Qt::PlainText);
    m_values.append({label, field});
    return label;
}

QLabel *MemberBrowser::addDetailRow(QGridLayout *grid, const QString &caption, const QString &field,
                                    const QString &objectName)
{
    QWidget *parent = grid->parentWidget();
    const int row = grid->rowCount();
    grid->addWidget(captionLabel(caption, parent), row, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(captionLabel(QStringLiteral(" : "), parent), row, 1, Qt::AlignTop);
    QLabel *value = valueLabel(field, caption, parent, objectName);
    // Long values are cut at the page's edge instead of widening the panel.
    value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    value->setMinimumWidth(20);
    grid->addWidget(value, row, 2);
    return value;
}

QLabel *MemberBrowser::addPairRow(QGridLayout *grid, const QString &caption, const QString &first,
                                  const QString &second, const QString &separatorName)
{
    QWidget *parent = grid->parentWidget();
    const int row = grid->rowCount();
    grid->addWidget(captionLabel(caption, parent), row, 0);
    grid->addWidget(captionLabel(QStringLiteral(" : "), parent), row, 1);
    auto *pair = new QWidget(parent);
    pair->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *layout = new QHBoxLayout(pair);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(valueLabel(first, caption, pair));
    auto *separator = new QLabel(QStringLiteral(" / "), pair);
    separator->setObjectName(separatorName);
    setTextColour(separator, Qt::black);
    layout->addWidget(separator);
    layout->addWidget(valueLabel(second, caption, pair));
    layout->addStretch();
    grid->addWidget(pair, row, 2);
    return separator;
}

QWidget *MemberBrowser::buildDetailPages()
{
    auto *box = new QWidget(m_panel);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_tabSet1 = new QTabBar(box);
    name(m_tabSet1, QStringLiteral("TabSet1"));
    for (const QString &tab :
         {QStringLiteral(" Genel Bilgiler "), QStringLiteral(" Diğer Form Bilgileri "),
          QStringLiteral(" İletişim Bilgileri "), QStringLiteral(" Medeni Durum/Eş Bilgileri ")})
        m_tabSet1->addTab(tab);
    m_tabSet1->setExpanding(false);
    layout->addWidget(m_tabSet1);

    auto *frame = new QFrame(box);
    frame->setFrameShape(QFrame::StyledPanel);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(4, 4, 4, 4);
    m_notebook1 = new QStackedWidget(frame);
    name(m_notebook1, QStringLiteral("Notebook1"));
    m_notebook1->addWidget(buildGeneralPage());
    m_notebook1->addWidget(buildOtherFormPage());
    m_notebook1->addWidget(buildContactPage());
    m_notebook1->addWidget(buildFamilyPage());
    frameLayout->addWidget(m_notebook1);
    layout->addWidget(frame);

    m_tabSet1->setCurrentIndex(0);
    m_notebook1->setCurrentIndex(0);
    connect(m_tabSet1, &QTabBar::currentChanged, this, &MemberBrowser::TabSet1Change);
    return box;
}

QWidget *MemberBrowser::buildGeneralPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PageGenel"));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);

    QGroupBox *general =
        detailGroup(QStringLiteral("   Genel Bilgiler"), QStringLiteral("GroupGenel"), page);
    auto *generalBody = new QWidget(general);
    plainFont(generalBody);
    QGridLayout *grid = detailGrid();
    generalBody->setLayout(grid);
    (new QVBoxLayout(general))->addWidget(generalBody);
    addDetailRow(grid, QStringLiteral("Kadro Ünvanı"), QStringLiteral("unvani"));
    addDetailRow(grid, QStringLiteral("Kadro U. Kodu "), QStringLiteral("unvan_kodu"));
    m_branchSeparator =
        addPairRow(grid, QStringLiteral("Branşı / H. Yılı"), QStringLiteral("bransi"),
                   QStringLiteral("hizmet_yili"), QStringLiteral("LabelBransAyrac"));
    m_districtSeparator =
        addPairRow(grid, QStringLiteral("Çalıştığı İl / İlçe"), QStringLiteral("calistigi_il"),
                   QStringLiteral("ilcesi"), QStringLiteral("LabelIlAyrac"));
    addDetailRow(grid, QStringLiteral("İş Telefonu"), QStringLiteral("isyeri_tel"));
    addDetailRow(grid, QStringLiteral("Çalıştığı Birim"), QStringLiteral("calistigi_kurum"));
    addDetailRow(grid, QStringLiteral("Birim Adresi"), QStringLiteral("kurum_adresi"))
        ->setWordWrap(true);
    layout->addWidget(general);

    QGroupBox *unionGroup =
        detailGroup(QStringLiteral("   Sendika Bilgileri"), QStringLiteral("GroupSendika"), page);
    auto *unionBody = new QWidget(unionGroup);
    plainFont(unionBody);
    (new QVBoxLayout(unionGroup))->addWidget(unionBody);
    auto *unionLayout = new QHBoxLayout(unionBody);
    unionLayout->setContentsMargins(0, 0, 0, 0);
    auto *left = new QWidget(unionBody);
    QGridLayout *unionGrid = detailGrid();
    unionGrid->setContentsMargins(0, 0, 0, 0);
    left->setLayout(unionGrid);
    auto *heading = new QLabel(QStringLiteral("KAYITLI OLDUĞU:"), left);
    heading->setObjectName(QStringLiteral("LabelKayitliOldugu"));
    setTextColour(heading, kDimmed);
    unionGrid->addWidget(heading, 0, 0, 1, 3);
    m_unionValue = addDetailRow(unionGrid, QStringLiteral("Sendika"), QStringLiteral("sendikasi"));
    addDetailRow(unionGrid, QStringLiteral("Kayıt T."), QStringLiteral("sendika_kayit_tarihi"));
    addDetailRow(unionGrid, QStringLiteral("S.Adresi"), QStringLiteral("sendika_adresi"))
        ->setWordWrap(true);
    unionLayout->addWidget(left, 1);

    auto *bloodBox = new QFrame(unionBody);
    bloodBox->setObjectName(QStringLiteral("PanelKanGrubu"));
    bloodBox->setFrameShape(QFrame::Box);
    bloodBox->setFixedWidth(110);
    auto *bloodLayout = new QVBoxLayout(bloodBox);
    auto *bloodCaption = captionLabel(QStringLiteral("KAN GRUBU"), bloodBox);
    QFont bold = bloodCaption->font();
    bold.setBold(true);
    bloodCaption->setFont(bold);
    bloodCaption->setAlignment(Qt::AlignCenter);
    QLabel *blood = valueLabel(QStringLiteral("kan_grubu"), QStringLiteral("KAN GRUBU"), bloodBox);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    blood->setFont(bold);
    blood->setAlignment(Qt::AlignCenter);
    bloodLayout->addWidget(bloodCaption);
    bloodLayout->addWidget(blood);
    unionLayout->addWidget(bloodBox, 0, Qt::AlignTop);
    layout->addWidget(unionGroup);
    layout->addStretch();
    return page;
}

QWidget *MemberBrowser::buildOtherFormPage()
{
    auto *page = new QWidget;
    QVBoxLayout *layout = pageLayout(page, QStringLiteral("PageDigerForm"));
    QGroupBox *group = detailGroup(QStringLiteral("   Diğer Form Bilgileri"),
                                   QStringLiteral("GroupDigerForm"), page);
    QWidget *body = groupBody(group);
    auto *columns = new QHBoxLayout(body);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(16);

    auto *left = new QWidget(body);
    QGridLayout *leftGrid = bodyGrid(left);
    addDetailRow(leftGrid, QStringLiteral("TC Kimlik No"), QStringLiteral("tc_kimlik"));
    addDetailRow(leftGrid, QStringLiteral("Doğum Yeri"), QStringLiteral("dogum_yeri"));
    addDetailRow(leftGrid, QStringLiteral("Doğum Tarihi"), QStringLiteral("dogum_tarihi"));
    addDetailRow(leftGrid, QStringLiteral("Cinsiyeti"), QStringLiteral("cinsiyeti"));
    addDetailRow(leftGrid, QStringLiteral("Baba Adı"), QStringLiteral("baba_adi"));
    addDetailRow(leftGrid, QStringLiteral("Anne Adı"), QStringLiteral("anne_adi"));
    leftGrid->setRowStretch(leftGrid->rowCount(), 1);

    auto *right = new QWidget(body);
    QGridLayout *rightGrid = bodyGrid(right);
    addDetailRow(rightGrid, QStringLiteral("Öğrenim Durumu"), QStringLiteral("ogrenim_durumu"));
    addDetailRow(rightGrid, QStringLiteral("Kurum Sicil No"), QStringLiteral("kurum_sicil"));
    addDetailRow(rightGrid, QStringLiteral("TC. Emekli No"), QStringLiteral("emekli_sandigi"));
    addDetailRow(rightGrid, QStringLiteral("SSK No"), QStringLiteral("ssk"));
    rightGrid->setRowStretch(rightGrid->rowCount(), 1);

    columns->addWidget(left, 1);
    columns->addWidget(right, 1);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

QWidget *MemberBrowser::buildContactPage()
{
    auto *page = new QWidget;
    QVBoxLayout *layout = pageLayout(page, QStringLiteral("PageIletisim"));
    QGroupBox *group = detailGroup(QStringLiteral("   İletişim Bilgileri"), QStringLiteral("GroupIletisim"), page);
    QGridLayout *grid = bodyGrid(groupBody(group));
    addDetailRow(grid, QStringLiteral("Cep Telefonu"), QStringLiteral("cep_tel"));
    addDetailRow(grid, QStringLiteral("Ev Telefonu"), QStringLiteral("ev_tel"));
    // The work telephone shows on the first page as well.
    addDetailRow(grid, QStringLiteral("İş Telefonu"), QStringLiteral("isyeri_tel"),
                 QStringLiteral("DBText_isyeri_tel2"));
    addDetailRow(grid, QStringLiteral("Ev Adresi"), QStringLiteral("ev_adresi"))->setWordWrap(true);
    addDetailRow(grid, QStringLiteral("E-Posta Adresi"), QStringLiteral("emaili"));
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

QWidget *MemberBrowser::buildFamilyPage()
{
    auto *page = new QWidget;
    QVBoxLayout *layout = pageLayout(page, QStringLiteral("PageMedeniDurum"));
    QGroupBox *group = detailGroup(QStringLiteral("   Medeni Durum / Eş Bilgileri"), QStringLiteral("GroupMedeniDurum"), page);
    QGridLayout *grid = bodyGrid(groupBody(group));
    addDetailRow(grid, QStringLiteral("Medeni Durumu"), QStringLiteral("medeni_durumu"));
    addDetailRow(grid, QStringLiteral("Eşinin Mesleği"), QStringLiteral("esinin_meslegi"));
    addDetailRow(grid, QStringLiteral("Eşinin Kurumu"), QStringLiteral("esinin_kurumu"))
        ->setWordWrap(true);
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

QWidget *MemberBrowser::buildButtons()
{
    auto *row = new QWidget(m_panel);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    // The buttons follow their enabling rules; the prints are the report windows' work.
    m_bitBtn6 = commandButton(QStringLiteral("BitBtn6"), QStringLiteral("Liste"),
                              QStringLiteral("|Aktif listeyi yazdır..."), row);
    m_bitBtn14 = commandButton(QStringLiteral("BitBtn14"), QStringLiteral("Kan G. Listesi"),
                               QStringLiteral("|Aktif kan grubu listesini yazdır..."), row);
    m_bitBtn7 = commandButton(QStringLiteral("BitBtn7"), QStringLiteral("Kişisel Detay"),
                              QStringLiteral("|Kişisel bilgi formu yazdır..."), row);
    m_bitBtn12 = commandButton(QStringLiteral("BitBtn12"), QStringLiteral("Üyelik Formu"),
                               QStringLiteral("|Aktif üye için üyelik formu..."), row);
    m_bitBtn13 = commandButton(QStringLiteral("BitBtn13"), QStringLiteral("İstifa Formu"),
                               QStringLiteral("|Aktif üye için üyelik iptali formu..."), row);
    m_btnDisaAktar = commandButton(QStringLiteral("BtnDisaAktar"), QStringLiteral("Listeyi Dışa Aktar"),
                                   QStringLiteral("|Aktif listeyi Excel ya da CSV dosyasına aktar..."), row);
    connect(m_btnDisaAktar, &QPushButton::clicked, this, [this] { guard::run([this] { exportList(); }); });
    for (QPushButton *button : {m_bitBtn6, m_bitBtn14, m_bitBtn7, m_bitBtn12, m_bitBtn13, m_btnDisaAktar})
        layout->addWidget(button);
    CommandRegistry &commands = m_form->commands();
    commands.bind(Command::StaffList, m_bitBtn6, false);
    commands.bind(Command::BloodGroupList, m_bitBtn14, false);
    commands.bind(Command::StaffCard, m_bitBtn7, false);
    commands.bind(Command::MembershipForm, m_bitBtn12, false);
    commands.bind(Command::ResignationForm, m_bitBtn13, false);
    layout->addStretch();
    return row;
}

QWidget *MemberBrowser::buildNotes()
{
    m_notes = new QGroupBox(QStringLiteral(" Hakkındaki Notlar "), m_panel);
    name(m_notes, QStringLiteral("GroupHakkinda"), QStringLiteral("Hakkındaki Notlar"));
    auto *layout = new QVBoxLayout(m_notes);
    m_notesText = new QPlainTextEdit(m_notes);
    name(m_notesText, QStringLiteral("DBMemoHakkinda"), QStringLiteral("Hakkındaki Notlar"));
    m_notesText->setReadOnly(true);
    m_notesText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette p = m_notesText->palette();
    p.setColor(QPalette::Text, Qt::red);
    m_notesText->setPalette(p);
    layout->addWidget(m_notesText);
    m_notes->hide(); // until a person with notes is current
    return m_notes;
}

void MemberBrowser::buildMenu()
{
    m_popupPersonel = new QMenu(m_srDBGrid3);
    m_popupPersonel->setObjectName(QStringLiteral("PopupPersonel"));
    QAction *exportItem = m_popupPersonel->addAction(QStringLiteral("Listeyi Dışa Aktar"), this,
                                                     [this] { guard::run([this] { exportList(); }); });
    exportItem->setObjectName(QStringLiteral("PersonelDisaAktar1"));
    m_popupPersonel->addSeparator();
    QAction *audit = m_popupPersonel->addAction(QStringLiteral("Kimlik Numarası Denetimi"), this,
                                                [this] { guard::run([this] { auditIdentityNumbers(); }); });
    audit->setObjectName(QStringLiteral("KimlikNumarasiDenetimi1"));
    m_srDBGrid3->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_srDBGrid3, &QWidget::customContextMenuRequested, m_popupPersonel, [this](const QPoint &at) {
        m_popupPersonel->popup(m_srDBGrid3->viewport()->mapToGlobal(at));
    });
}

// ---------------------------------------------------------------- the current person

void MemberBrowser::connectQuery()
{
    Dataset *query = personel();
    connect(query, &Dataset::currentMoved, this, &MemberBrowser::refreshDetails);
    connect(query, &Dataset::rowsReset, this, &MemberBrowser::refreshDetails);
    connect(query, &Dataset::rowUpdated, this, &MemberBrowser::refreshDetails);
    connect(query, &Dataset::stateChanged, this, &MemberBrowser::refreshDetails);
    connect(query, &Dataset::fieldEdited, this, &MemberBrowser::refreshDetails);
}

QString MemberBrowser::currentText(const QString &field) const
{
    // A closed or empty list has no current person: every value reads as empty.
    Dataset *query = personel();
    if (!query->isOpen() || query->isEmpty() || !query->hasField(field))
        return QString();
    return query->fieldText(field);
}

void MemberBrowser::refreshDetails()
{
    for (const DetailValue &value : std::as_const(m_values)) {
        const QString text = currentText(value.field);
        if (value.label->text() != text)
            value.label->setText(text);
    }
    const QString notes = currentText(QStringLiteral("hakkinda"));
    if (m_notesText->toPlainText() != notes)
        m_notesText->setPlainText(notes);
}

void MemberBrowser::addIdleRules()
{
    IdleRefresh *idle = m_form->idleRefresh();
    idle->addRule([this] {
        IdleRefresh::setEnabled(m_speedButton3, !m_edit3->text().isEmpty());
        // No staff to work on while the list is still on its way.
        const Dataset *personel = m_form->data()->staff();
        const bool anyStaff = !m_form->staffList()->isPending() && personel->isOpen() &&
                              personel->recordCount() > 0;
        for (QWidget *w : {static_cast<QWidget *>(m_bitBtn6), static_cast<QWidget *>(m_bitBtn7),
                           static_cast<QWidget *>(m_bitBtn14), static_cast<QWidget *>(m_edit3),
                           static_cast<QWidget *>(m_btnDisaAktar)})
            IdleRefresh::setEnabled(w, anyStaff);
        IdleRefresh::setShown(m_districtSeparator,
                              !currentText(QStringLiteral("ilcesi")).isEmpty());
        IdleRefresh::setShown(m_branchSeparator,
                              !currentText(QStringLiteral("hizmet_yili")).isEmpty());
        IdleRefresh::setShown(m_notes, !currentText(QStringLiteral("hakkinda")).isEmpty());
        const QString union_ = currentText(QStringLiteral("sendikasi"));
        IdleRefresh::setEnabled(m_bitBtn12, union_ == kKayitsiz || (union_.isEmpty() && anyStaff));
        IdleRefresh::setEnabled(m_bitBtn13, !union_.isEmpty() && union_ != kKayitsiz);
        setTextColour(m_unionValue, union_ == kKayitsiz ? QColor(Qt::red) : QColor(Qt::black));
    });
}

// ---------------------------------------------------------------- commands

void MemberBrowser::shown()
{
    m_edit3->clear();
}

void MemberBrowser::TabSet1Change(int index)
{
    m_notebook1->setCurrentIndex(index);
}

void MemberBrowser::exportList()
{
    if (m_form->waitForStaffList())
        listexportcommand::run(m_srDBGrid3, QStringLiteral("Personel Listesi"), m_form);
}

void MemberBrowser::auditIdentityNumbers()
{
    TFrmKimlikDenetimi::execute(m_form->data(), m_form);
}

void MemberBrowser::Edit3Change()
{
    const QString text = m_edit3->text();
    if (text.isEmpty())
        return;
    // The list is not narrowed: the search only moves to the person.
    if (!personel()->locateLeast(QStringLiteral("Birlestir"), text))
        messages::information(m_form, kNoMatch);
}

void MemberBrowser::runFilter(const QStringList &lines, const QString &unionName,
                              const QString &bloodGroup)
{
    Dataset *query = personel();
    query->clearSql();
    for (const QString &line : lines)
        query->addSql(line);
    query->clearParams();
    // Picked names travel as parameter values, so a quote in a union's name is just text.
    if (!unionName.isNull())
        query->setParam(kUnionParam, unionName);
    if (!bloodGroup.isNull())
        query->setParam(kBloodParam, bloodGroup);
    // All staff again ("..." picked) keeps the rows held while the table is unchanged.
    query->reopen();
    query->first();
    if (query->isEmpty())
        messages::information(m_form, kNoMatch);
}

void MemberBrowser::CbAraChange(int index)
{
    {
        const QSignalBlocker blockSearch(m_edit3);
        m_edit3->clear();
    }
    m_cbKan->setCurrentIndex(-1); // shows "Kan Grubu"

    if (index <= 0) {
        runFilter({kAllStaff}, QString(), QString());
        return;
    }
    const QString unionName = index == 1 ? kKayitsiz : m_cbAra->itemText(index);
    runFilter({QStringLiteral("SELECT * FROM uyeler WHERE sendikasi Like :sendika")}, unionName,
              QString());
}

void MemberBrowser::CbKanChange(int index)
{
    const QString group = m_cbKan->itemText(index);
    const int shown = m_cbAra->currentIndex();
    if (shown <= 0) {
        // A blood group over all staff: "..." in the union filter says all unions.
        if (shown == 0)
            m_cbAra->setCurrentIndex(-1);
        runFilter({QStringLiteral("SELECT * FROM uyeler WHERE kan_grubu Like :kan")}, QString(),
                  group);
        return;
    }
    const QString unionName = shown == 1 ? kKayitsiz : m_cbAra->itemText(shown);
    runFilter({QStringLiteral("SELECT * FROM uyeler"),
               QStringLiteral("WHERE sendikasi Like :sendika "),
               QStringLiteral("And kan_grubu Like :kan")},
              unionName, group);
}
