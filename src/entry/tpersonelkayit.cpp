#include "tpersonelkayit.h"

#include "toolkit/idlerefresh.h"
#include "toolkit/workspace.h"
#include "data/dataset.h"
#include "data/identitynumber.h"
#include "data/memberlists.h"
#include "data/sharedqueries.h"
#include "entryform.h"
#include "tfrmunvan.h"
#include "toolkit/dbcombobox.h"
#include "toolkit/dbedit.h"
#include "toolkit/dbmemo.h"
#include "toolkit/dialogs.h"
#include "toolkit/guard.h"
#include "toolkit/hints.h"
#include "toolkit/keyfilters.h"
#include "toolkit/messages.h"
#include "toolkit/recordactions.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kKayitsiz = QStringLiteral("<<< KAYITSIZ >>>");

// The columns each mask belongs to; every other box takes its characters as typed.
bool isPhoneColumn(const QString &column)
{
    return column == QLatin1String("ev_tel") || column == QLatin1String("cep_tel") ||
           column == QLatin1String("isyeri_tel");
}

bool isDateColumn(const QString &column)
{
    return column == QLatin1String("dogum_tarihi") || column == QLatin1String("sendika_kayit_tarihi");
}

// "Adı :" names its box "Adı" for assistive tools.
QString accessibleCaption(const QString &caption)
{
    QString text = caption.trimmed();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

QLabel *fieldLabel(const QString &caption, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

// The grid of a page with two columns of captioned boxes (columns 0-1 and 3-4) and a
// narrow gap between them; the boxes take the width.
QGridLayout *twoColumnGrid(QWidget *page)
{
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(10, 12, 10, 10);
    grid->setVerticalSpacing(6);
    grid->setHorizontalSpacing(8);
    grid->setColumnMinimumWidth(2, 12);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(4, 1);
    return grid;
}

// A small envelope for the e-mail button; the style offers no mail icon of its own.
QIcon envelopeIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 120), 1));
    p.setBrush(QColor(255, 250, 220));
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.drawLine(QPointF(1.5, 3.5), QPointF(8, 9));
    p.drawLine(QPointF(14.5, 3.5), QPointF(8, 9));
    return QIcon(pixmap);
}

} // namespace

TPersonelKayit::TPersonelKayit(Workspace *workspace)
    : QDialog(workspace->parentWindow(), Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_form(workspace),
      m_uye(workspace->data()->unitStaff())
{
    dialogs::setTitle(this, QStringLiteral("PersonelKayit"), QStringLiteral("  Personel Kayıt"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(6);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setAccessibleName(QStringLiteral("Personel Bilgileri"));
    // Built in the Tab key's order: each page's boxes are created in the order they are visited.
    m_pages->addTab(buildGeneralPage(), QStringLiteral(" Genel Bilgiler "));
    m_pages->addTab(buildContactPage(), QStringLiteral(" İrtibat Bilgileri "));
    m_pages->addTab(buildOtherPage(), QStringLiteral(" Diğer Form Bilgileri "));
    m_pages->addTab(buildMaritalPage(), QStringLiteral(" Medeni/Eş Durumu "));
    m_pages->addTab(buildNotesPage(), QStringLiteral(" Notlar "));
    for (int i = 0; i < m_pages->count(); ++i)
        m_pages->widget(i)->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
    layout->addWidget(m_pages);
    layout->addWidget(buildBottomRow());

    // The hidden companion of the union list: the unions' addresses at the same positions.
    m_cbSendikaAdres = new QComboBox(this);
    m_cbSendikaAdres->setObjectName(QStringLiteral("CbSendikaAdres"));
    m_cbSendikaAdres->setAccessibleName(QStringLiteral("Sendika Adresleri"));
    m_cbSendikaAdres->hide();
    workspace->registerUnionList(m_dbComboBox1, {kKayitsiz});
    workspace->registerUnionList(m_cbSendikaAdres, {kKayitsiz}, true);
    m_dbComboBox1->refresh();

    entryform::onF1(this, entryform::KeyScope::FormAndPopups, [this] { SpeedButton1Click(); });
    entryform::keepOpenOnEscape(this);
    entryform::showHintsInStatusBar(this, workspace->parentWindow());

    // The identity number is checked as it is typed and as the rows change, and once more
    // before every save made here.
    connect(m_edits.value(QStringLiteral("tc_kimlik")), &QLineEdit::textChanged, this,
            [this] { guard::run([this] { showIdentityWarning(); }); });
    connect(m_uye, &Dataset::currentMoved, this, [this] { guard::run([this] { showIdentityWarning(); }); });
    m_uye->setPostCheck([this](Dataset *) { return confirmIdentityNumber(); });

    workspace->idleRefresh()->addRule([this] {
        IdleRefresh::setEnabled(m_btnMail, !m_edits.value(QStringLiteral("emaili"))->text().isEmpty());
        if (isVisible())
            m_actions->update();
    });

    // The form opens on "Adı" the first time; later openings keep the box last used.
    m_dbEdit1->setFocus();
}

// ---------------------------------------------------------------- building

DBEdit *TPersonelKayit::makeEdit(QWidget *page, const QString &column, const QString &caption, KeyFilter filter)
{
    auto *edit = new DBEdit(m_uye, column, page);
    const bool nameBox = column == QLatin1String("adi");
    edit->setObjectName(nameBox ? QStringLiteral("DBEdit1") : QStringLiteral("DBEdit_") + column);
    edit->setAccessibleName(accessibleCaption(caption));
    if (isPhoneColumn(column))
        edit->setMask(DBEdit::Mask::Phone);
    else if (isDateColumn(column))
        edit->setMask(DBEdit::Mask::Date);
    // The name box sees each key before the upper-case filter replaces it, so the workplace
    // copy runs once per key.
    if (nameBox)
        edit->installEventFilter(this);
    if (filter == KeyFilter::UpperCase)
        keyfilters::installUpperCase(edit);
    else if (filter == KeyFilter::WordCapitals)
        keyfilters::installWordCapitals(edit);
    m_edits.insert(column, edit);
    return edit;
}

DBComboBox *TPersonelKayit::makeList(QWidget *page, const QString &column, const QString &caption,
                                     const QStringList &items, KeyFilter filter)
{
    auto *list = new DBComboBox(m_uye, column, page);
    list->setObjectName(QStringLiteral("DBComboBox_") + column);
    list->setAccessibleName(accessibleCaption(caption));
    list->addItems(items);
    list->refresh();
    // A fixed list finds its item by the typed letter; the filter makes the letter match
    // the list's capitals the Turkish way.
    if (filter == KeyFilter::UpperCase)
        keyfilters::installUpperCase(list);
    return list;
}

QWidget *TPersonelKayit::buildGeneralPage()
{
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(10, 12, 10, 10);
    row->setSpacing(18);

    struct Box {
        const char *column;
        const char *caption;
        KeyFilter filter;
    };
    const Box left[] = {
        {"adi", "Adı :", KeyFilter::UpperCase},
        {"soyadi", "Soyadı :", KeyFilter::UpperCase},
        {"unvani", "Kadro Ünvanı :", KeyFilter::UpperCase},
        {"unvan_kodu", "Kadro Ünvanı Kodu :", KeyFilter::UpperCase},
        {"bransi", "Branşı :", KeyFilter::WordCapitals},
        {"hizmet_yili", "Hizmet Yılı :", KeyFilter::WordCapitals},
    };
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(6);
    int r = 0;
    for (const Box &b : left) {
        const QString caption = QString::fromUtf8(b.caption);
        DBEdit *edit = makeEdit(page, QString::fromLatin1(b.column), caption, b.filter);
        grid->addWidget(fieldLabel(caption, edit, page), r, 0);
        if (edit->field() == QLatin1String("unvan_kodu")) {
            edit->setFixedWidth(64);
            m_speedButton1 = new QToolButton(page);
            m_speedButton1->setObjectName(QStringLiteral("SpeedButton1"));
            m_speedButton1->setText(QStringLiteral("..."));
            m_speedButton1->setAccessibleName(QStringLiteral("Kadro Kodları"));
            m_speedButton1->setFocusPolicy(Qt::NoFocus);
            hints::set(m_speedButton1, QStringLiteral("Kadro Kodları (F1)|Kadro ünvan kodları detayları..."));
            connect(m_speedButton1, &QToolButton::clicked, this,
                    [this] { guard::run([this] { SpeedButton1Click(); }); });
            auto *withButton = new QHBoxLayout;
            withButton->setSpacing(2);
            withButton->addWidget(edit);
            withButton->addWidget(m_speedButton1);
            withButton->addStretch(1);
            grid->addLayout(withButton, r, 1);
        } else {
            edit->setMinimumWidth(170);
            grid->addWidget(edit, r, 1);
        }
        ++r;
    }
    m_dbEdit1 = m_edits.value(QStringLiteral("adi"));
    grid->setRowStretch(r, 1);
    row->addLayout(grid);

    auto *right = new QVBoxLayout;
    right->setSpacing(10);
    const QString bloodCaption = QStringLiteral("KAN GRUBU :");
    DBComboBox *blood = makeList(page, QStringLiteral("kan_grubu"), bloodCaption,
                                 memberlists::bloodGroups(), KeyFilter::None);
    blood->setMinimumWidth(110);
    auto *bloodRow = new QHBoxLayout;
    QLabel *bloodLabel = fieldLabel(bloodCaption, blood, page);
    QFont bold = bloodLabel->font();
    bold.setBold(true);
    bloodLabel->setFont(bold);
    bloodRow->addWidget(bloodLabel);
    bloodRow->addWidget(blood);
    bloodRow->addStretch(1);
    right->addLayout(bloodRow);

    auto *group = new QGroupBox(page);
    group->setObjectName(QStringLiteral("GroupBox1"));
    group->setAccessibleName(QStringLiteral("Sendika"));
    auto *unionGrid = new QGridLayout(group);
    unionGrid->setVerticalSpacing(6);
    const QString unionCaption = QStringLiteral("Kayıtlı Olduğu Sendika :");
    m_dbComboBox1 = new DBComboBox(m_uye, QStringLiteral("sendikasi"), group);
    m_dbComboBox1->setObjectName(QStringLiteral("DBComboBox1"));
    m_dbComboBox1->setAccessibleName(accessibleCaption(unionCaption));
    m_dbComboBox1->setMinimumWidth(200);
    connect(m_dbComboBox1, &DBComboBox::userChanged, this,
            [this](int index) { guard::run([&] { DBComboBox1Change(index); }); });
    unionGrid->addWidget(fieldLabel(unionCaption, m_dbComboBox1, group), 0, 0);
    unionGrid->addWidget(m_dbComboBox1, 0, 1);
    const QString dateCaption = QStringLiteral("Sendika Kayıt Tarihi :");
    DBEdit *date = makeEdit(group, QStringLiteral("sendika_kayit_tarihi"), dateCaption, KeyFilter::UpperCase);
    date->setFixedWidth(90);
    unionGrid->addWidget(fieldLabel(dateCaption, date, group), 1, 0);
    unionGrid->addWidget(date, 1, 1, Qt::AlignLeft);
    const QString addressCaption = QStringLiteral("Sendika Adresi :");
    DBEdit *address = makeEdit(group, QStringLiteral("sendika_adresi"), addressCaption, KeyFilter::UpperCase);
    unionGrid->addWidget(fieldLabel(addressCaption, address, group), 2, 0);
    unionGrid->addWidget(address, 2, 1);
    right->addWidget(group);
    right->addStretch(1);
    row->addLayout(right, 1);
    return page;
}

QWidget *TPersonelKayit::buildContactPage()
{
    auto *page = new QWidget;
    QGridLayout *grid = twoColumnGrid(page);

    auto place = [&](DBEdit *edit, const QString &caption, int r, int c) {
        grid->addWidget(fieldLabel(caption, edit, page), r, c);
        grid->addWidget(edit, r, c + 1);
    };
    const QString cep = QStringLiteral("Cep Telefonu :"), is = QStringLiteral("İş Telefonu :"),
                  ev = QStringLiteral("Ev Telefonu :"), il = QStringLiteral("Çalıştığı İl :"),
                  ilce = QStringLiteral("Çalıştığı İlçe :"), mail = QStringLiteral("E-Posta Adresi :");
    place(makeEdit(page, QStringLiteral("cep_tel"), cep, KeyFilter::UpperCase), cep, 0, 0);
    place(makeEdit(page, QStringLiteral("isyeri_tel"), is, KeyFilter::UpperCase), is, 1, 0);
    place(makeEdit(page, QStringLiteral("ev_tel"), ev, KeyFilter::UpperCase), ev, 2, 0);
    place(makeEdit(page, QStringLiteral("calistigi_il"), il, KeyFilter::UpperCase), il, 0, 3);
    place(makeEdit(page, QStringLiteral("ilcesi"), ilce, KeyFilter::UpperCase), ilce, 1, 3);

    DBEdit *email = makeEdit(page, QStringLiteral("emaili"), mail, KeyFilter::None);
    m_btnMail = new QToolButton(page);
    m_btnMail->setObjectName(QStringLiteral("BtnMail"));
    m_btnMail->setAccessibleName(QStringLiteral("E-Mail Gönder"));
    m_btnMail->setIcon(envelopeIcon());
    m_btnMail->setFocusPolicy(Qt::NoFocus);
    m_btnMail->setEnabled(false);
    hints::set(m_btnMail, QStringLiteral("E-Mail Gönder"));
    connect(m_btnMail, &QToolButton::clicked, this, [this] { guard::run([this] { BtnMailClick(); }); });
    auto *mailRow = new QHBoxLayout;
    mailRow->setSpacing(2);
    mailRow->addWidget(email, 1);
    mailRow->addWidget(m_btnMail);
    grid->addWidget(fieldLabel(mail, email, page), 2, 3);
    grid->addLayout(mailRow, 2, 4);

    const struct {
        const char *column;
        const char *caption;
        KeyFilter filter;
    } wide[] = {
        {"ev_adresi", "Ev Adresi :", KeyFilter::WordCapitals},
        {"calistigi_kurum", "Çalıştığı Birim :", KeyFilter::UpperCase},
        {"kurum_adresi", "Birim Adresi :", KeyFilter::UpperCase},
    };
    int r = 3;
    for (const auto &w : wide) {
        const QString caption = QString::fromUtf8(w.caption);
        DBEdit *edit = makeEdit(page, QString::fromLatin1(w.column), caption, w.filter);
        grid->addWidget(fieldLabel(caption, edit, page), r, 0);
        grid->addWidget(edit, r, 1, 1, 4);
        ++r;
    }
    grid->setRowStretch(r, 1);
    return page;
}

QWidget *TPersonelKayit::buildOtherPage()
{
    auto *page = new QWidget;
    QGridLayout *grid = twoColumnGrid(page);

    // Created in the Tab key's order, placed in two columns.
    struct Cell {
        QWidget *box;
        QString caption;
    };
    auto edit = [&](const char *column, const char *caption) {
        const QString text = QString::fromUtf8(caption);
        return Cell{makeEdit(page, QString::fromLatin1(column), text, KeyFilter::UpperCase), text};
    };
    const Cell tc = edit("tc_kimlik", "TC Kimlik No :");
    const Cell birthPlace = edit("dogum_yeri", "Doğum Yeri :");
    const Cell birthDate = edit("dogum_tarihi", "Doğum Tarihi :");
    const Cell father = edit("baba_adi", "Baba Adı :");
    const Cell mother = edit("anne_adi", "Ana Adı :");
    const Cell registry = edit("kurum_sicil", "Kurum Sicil No :");
    const Cell pension = edit("emekli_sandigi", "TC. Emekli No :");
    const Cell ssk = edit("ssk", "SSK No :");
    const QString educationCaption = QStringLiteral("Öğrenim Durumu :");
    const Cell education{makeList(page, QStringLiteral("ogrenim_durumu"), educationCaption,
                                  memberlists::educationLevels(), KeyFilter::UpperCase),
                         educationCaption};
    const QString sexCaption = QStringLiteral("Cinsiyeti :");
    const Cell sex{makeList(page, QStringLiteral("cinsiyeti"), sexCaption, memberlists::sexes(),
                            KeyFilter::UpperCase),
                   sexCaption};
    birthDate.box->setFixedWidth(90);

    const Cell leftColumn[] = {tc, birthPlace, birthDate, sex, father, mother};
    const Cell rightColumn[] = {education, registry, pension, ssk};
    int r = 0;
    for (const Cell &c : leftColumn) {
        grid->addWidget(fieldLabel(c.caption, c.box, page), r, 0);
        if (c.box == tc.box)
            grid->addWidget(identityBoxWithMark(page, c.box), r, 1);
        else
            grid->addWidget(c.box, r, 1, c.box == birthDate.box ? Qt::AlignLeft : Qt::Alignment());
        ++r;
    }
    r = 0;
    for (const Cell &c : rightColumn) {
        grid->addWidget(fieldLabel(c.caption, c.box, page), r, 3);
        grid->addWidget(c.box, r, 4);
        ++r;
    }
    // What is wrong with the identity number, across the page under the boxes.
    m_tcWarning = new QLabel(page);
    m_tcWarning->setObjectName(QStringLiteral("LabelTcUyari"));
    m_tcWarning->setAccessibleName(QStringLiteral("TC Kimlik No uyarısı"));
    m_tcWarning->setTextFormat(Qt::PlainText);
    m_tcWarning->setWordWrap(true);
    m_tcWarning->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QPalette red = m_tcWarning->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    m_tcWarning->setPalette(red);
    m_tcWarning->hide();
    grid->addWidget(m_tcWarning, int(std::size(leftColumn)), 0, 1, 5);
    grid->setRowStretch(int(std::size(leftColumn)) + 1, 1);
    m_otherPage = page;
    return page;
}

QWidget *TPersonelKayit::identityBoxWithMark(QWidget *page, QWidget *box)
{
    auto *cell = new QWidget(page);
    auto *row = new QHBoxLayout(cell);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(box, 1);
    m_tcMark = new QLabel(cell);
    m_tcMark->setObjectName(QStringLiteral("LabelTcIsaret"));
    m_tcMark->setAccessibleName(QStringLiteral("TC Kimlik No uyarısı"));
    m_tcMark->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
    // The mark keeps its room while hidden, so that the box does not change its width.
    QSizePolicy keep = m_tcMark->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_tcMark->setSizePolicy(keep);
    m_tcMark->hide();
    row->addWidget(m_tcMark);
    return cell;
}

QWidget *TPersonelKayit::buildMaritalPage()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(10, 12, 10, 10);
    grid->setVerticalSpacing(6);
    const QString maritalCaption = QStringLiteral("Medeni Durumu :");
    DBComboBox *marital = makeList(page, QStringLiteral("medeni_durumu"), maritalCaption,
                                   memberlists::maritalStatuses(), KeyFilter::None);
    marital->setMinimumWidth(120);
    grid->addWidget(fieldLabel(maritalCaption, marital, page), 0, 0);
    grid->addWidget(marital, 0, 1, Qt::AlignLeft);
    const QString jobCaption = QStringLiteral("Eşinin Mesleği :");
    DBEdit *job = makeEdit(page, QStringLiteral("esinin_meslegi"), jobCaption, KeyFilter::WordCapitals);
    grid->addWidget(fieldLabel(jobCaption, job, page), 1, 0);
    grid->addWidget(job, 1, 1);
    const QString employerCaption = QStringLiteral("Eşinin Çalıştığı Kurum :");
    DBEdit *employer = makeEdit(page, QStringLiteral("esinin_kurumu"), employerCaption, KeyFilter::WordCapitals);
    grid->addWidget(fieldLabel(employerCaption, employer, page), 2, 0);
    grid->addWidget(employer, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget *TPersonelKayit::buildNotesPage()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    auto *group = new QGroupBox(QStringLiteral(" PERSONEL HAKKINDA NOTLAR"), page);
    group->setObjectName(QStringLiteral("GroupBox2"));
    QFont bold = group->font();
    bold.setBold(true);
    group->setFont(bold);
    auto *inner = new QVBoxLayout(group);
    m_notes = new DBMemo(m_uye, QStringLiteral("hakkinda"), group);
    m_notes->setObjectName(QStringLiteral("DBMemo1"));
    m_notes->setAccessibleName(QStringLiteral("Personel Hakkında Notlar"));
    m_notes->setFont(font());
    m_notes->setTabChangesFocus(true);
    inner->addWidget(m_notes);
    layout->addWidget(group);
    return page;
}

QWidget *TPersonelKayit::buildBottomRow()
{
    const entryform::BottomRow bottom =
        entryform::bottomRow(m_form->settings(), this, m_uye, QStringLiteral("Yeni Personel"), [this] { ToolButton1Click(); },
                             [this] { ToolButton2Click(); }, 96);
    m_actions = bottom.actions;
    return bottom.row;
}

// ---------------------------------------------------------------- opening and closing

void TPersonelKayit::showModal()
{
    // The union lists may have been rebuilt since the last opening.
    m_dbComboBox1->refresh();
    dialogs::centreOn(this, m_form->parentWindow());
    // The warning is made once the form shows: while it is hidden no lookup is made.
    QTimer::singleShot(0, this, [this] { guard::run([this] { showIdentityWarning(); }); });
    exec();
}

bool TPersonelKayit::FormClose()
{
    if (m_dbEdit1->text().isEmpty())
        return true; // a new row without a name stays pending in the query
    return entryform::saveOnClose(this, m_uye, QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"));
}

void TPersonelKayit::done(int result)
{
    if (!FormClose())
        return;
    QDialog::done(result);
}

bool TPersonelKayit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dbEdit1 && event->type() == QEvent::KeyPress)
        guard::run([this] { DBEdit1KeyDown(); });
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- commands

void TPersonelKayit::ToolButton1Click()
{
    // "Adı" can take the focus only on its own page.
    m_pages->setCurrentIndex(0);
    m_dbEdit1->setFocus();
    m_uye->append();
}

void TPersonelKayit::ToolButton2Click()
{
    const QString text = messages::quoted(m_uye->fieldText(QStringLiteral("adi"))) +
                         QStringLiteral(" adlı kişinin tüm bilgileri silinecek. Onaylıyor musunuz?");
    if (!messages::warningQuestion(this, text))
        return;
    m_uye->remove(); // a new row that was never saved is discarded
}

void TPersonelKayit::DBEdit1KeyDown()
{
    Dataset *okul = m_form->data()->units();
    if (!m_uye->isEditing())
        m_uye->edit();
    static const std::pair<const char *, const char *> copies[] = {
        {"isyeri_tel", "telefonu"},
        {"calistigi_il", "ili"},
        {"ilcesi", "ilcesi"},
        {"calistigi_kurum", "okul_adi"},
        {"kurum_adresi", "adresi"},
    };
    for (const auto &[member, unit] : copies)
        m_uye->setFieldText(QLatin1String(member), okul->fieldText(QLatin1String(unit)));
}

void TPersonelKayit::DBComboBox1Change(int index)
{
    const bool inList = index >= 0 && index < m_cbSendikaAdres->count();
    m_cbSendikaAdres->setCurrentIndex(inList ? index : -1);
    const QString address = inList && index > 0 ? m_cbSendikaAdres->itemText(index) : QString();
    if (!m_uye->isEditing())
        m_uye->edit();
    m_uye->setFieldText(QStringLiteral("sendika_adresi"), address);
}

void TPersonelKayit::BtnMailClick()
{
    // A mail program that cannot be started is not reported.
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + m_edits.value(QStringLiteral("emaili"))->text()));
}

void TPersonelKayit::SpeedButton1Click()
{
    if (m_titleCodes)
        m_titleCodes->showModal();
}

// ---------------------------------------------------------------- the identity number

namespace {
// Holders named in a warning; more would make it a list.
constexpr int kNamedHolders = 3;
} // namespace

QString TPersonelKayit::identityWarning(bool lookUpHolders) const
{
    const QString number = m_edits.value(QStringLiteral("tc_kimlik"))->text().trimmed();
    QStringList lines;
    const QString problem = identitynumber::problemText(identitynumber::check(number));
    if (!problem.isEmpty())
        lines << problem;
    if (lookUpHolders && !number.isEmpty() && m_uye->isOpen()) {
        const QVariant key = m_uye->isEmpty() || m_uye->state() == Dataset::State::Insert
                                 ? QVariant()
                                 : m_uye->value(QStringLiteral("KayitNo"));
        const QList<identitynumber::Holder> holders =
            identitynumber::otherHolders(m_form->data()->connection(), number, key);
        if (!holders.isEmpty()) {
            QString names = identitynumber::holdersText(holders.mid(0, kNamedHolders));
            if (holders.size() > kNamedHolders)
                names += QStringLiteral(" ve %1 kişi daha").arg(holders.size() - kNamedHolders);
            lines << QStringLiteral("Bu TC kimlik numarası başka bir personelde de kayıtlı: %1.").arg(names);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

void TPersonelKayit::showIdentityWarning()
{
    // Each lookup reads the staff table: while a number is being typed, only a whole one is
    // looked up; saving looks up any number.
    const QString number = m_edits.value(QStringLiteral("tc_kimlik"))->text().trimmed();
    const QString warning = isVisible() ? identityWarning(number.size() >= 11) : QString();
    if (m_tcWarning->text() != warning)
        m_tcWarning->setText(warning);
    m_tcWarning->setVisible(!warning.isEmpty());
    m_tcMark->setToolTip(warning);
    m_tcMark->setVisible(!warning.isEmpty());
}

bool TPersonelKayit::confirmIdentityNumber()
{
    if (!isVisible())
        return true;
    const QString warning = identityWarning(true);
    if (warning.isEmpty())
        return true;
    if (messages::warningQuestion(this, warning + QStringLiteral("\n\nYine de kaydedilsin mi?")))
        return true;
    // The user goes on at the number.
    m_pages->setCurrentWidget(m_otherPage);
    m_edits.value(QStringLiteral("tc_kimlik"))->setFocus();
    return false;
}
