#include "tsabitbilgi.h"

#include "toolkit/idlerefresh.h"
#include "toolkit/workspace.h"
#include "toolkit/tsrdbgrid.h"
#include "data/dberror.h"
#include "data/programdir.h"
#include "data/sharedqueries.h"
#include "entryform.h"
#include "toolkit/dbcheckbox.h"
#include "toolkit/dbedit.h"
#include "toolkit/guard.h"
#include "toolkit/hints.h"
#include "toolkit/keyfilters.h"
#include "toolkit/messages.h"
#include "toolkit/pictures.h"
#include "toolkit/recordactions.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QColor kGrey(128, 128, 128);
const QColor kSilver(192, 192, 192);

QString currentText(Dataset *dataset, const QString &field)
{
    return dataset->isOpen() && !dataset->isEmpty() ? dataset->fieldText(field) : QString();
}

// The picture formats this build can read, for the logo dialog: bitmaps, icons, JPEG and
// PNG always, SVG drawings (in place of Windows metafiles) where the plugin is present.
QStringList pictureFilters()
{
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    const QList<QPair<QString, QStringList>> kinds = {
        {QStringLiteral("Bit eşlemler"), {QStringLiteral("bmp")}},
        {QStringLiteral("Simgeler"), {QStringLiteral("ico")}},
        {QStringLiteral("JPEG resimleri"), {QStringLiteral("jpg"), QStringLiteral("jpeg")}},
        {QStringLiteral("PNG resimleri"), {QStringLiteral("png")}},
        {QStringLiteral("GIF resimleri"), {QStringLiteral("gif")}},
        {QStringLiteral("SVG çizimleri"), {QStringLiteral("svg")}},
    };
    QStringList all;
    QStringList filters;
    for (const auto &[title, suffixes] : kinds) {
        QStringList patterns;
        for (const QString &suffix : suffixes)
            if (readable.contains(suffix.toLatin1()))
                patterns << QStringLiteral("*.") + suffix;
        if (patterns.isEmpty())
            continue;
        all << patterns;
        filters << QStringLiteral("%1 (%2)").arg(title, patterns.join(QLatin1Char(' ')));
    }
    filters.prepend(QStringLiteral("Tüm resimler (%1)").arg(all.join(QLatin1Char(' '))));
    return filters;
}

QLabel *captionLabel(const QString &text, QWidget *buddy, QWidget *parent, Qt::Alignment alignment = Qt::AlignRight)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(alignment | Qt::AlignVCenter);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

} // namespace

TSabitBilgi::TSabitBilgi(Workspace *workspace)
    : QDialog(workspace->parentWindow()), m_form(workspace)
{
    setObjectName(QStringLiteral("SabitBilgi"));
    setWindowTitle(QStringLiteral("  Sabit Bilgiler"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(true);
    entryform::onF1(this, entryform::KeyScope::FormWindow, [this] { SpeedButton1Click(); });
    entryform::keepOpenOnEscape(this);
    entryform::showHintsInStatusBar(this, workspace->parentWindow());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    m_pageControl = new QTabWidget(this);
    m_pageControl->setObjectName(QStringLiteral("PageControl1"));
    m_pageControl->addTab(buildFixedPage(), QStringLiteral(" Sabit Bilgiler "));
    m_pageControl->addTab(buildUnionPage(), QStringLiteral(" Sendikalar "));
    m_pageControl->addTab(buildAuthorityPage(), QStringLiteral(" Program Sorumlusu / LOGO "));
    layout->addWidget(m_pageControl, 1);
    layout->addWidget(buildBottom());
    resize(600, 430);

    // The union count belongs to the union page only.
    connect(m_pageControl, &QTabWidget::currentChanged, this, [this](int page) {
        m_label14->setVisible(page == 1);
        m_label15->setVisible(page == 1);
    });
    m_label14->setVisible(false);
    m_label15->setVisible(false);

    Dataset *unions = workspace->data()->unions();
    connect(unions, &Dataset::afterPost, this, [this] { showUnionCount(); });
    connect(unions, &Dataset::afterDelete, this, [this] { showUnionCount(); });

    workspace->idleRefresh()->addRule([this] {
        for (RecordActions *actions : std::as_const(m_actions))
            actions->update();
    });
}

// ---------------------------------------------------------------- building

QWidget *TSabitBilgi::bind(QWidget *control, Dataset *dataset)
{
    m_bound.insert(control, dataset);
    return control;
}

DBEdit *TSabitBilgi::boundEdit(Dataset *dataset, const QString &field, const QString &objectName,
                               const QString &caption, QWidget *parent)
{
    auto *edit = new DBEdit(dataset, field, parent);
    edit->setObjectName(objectName);
    edit->setAccessibleName(caption);
    bind(edit, dataset);
    return edit;
}

// "Kaydet", "Kayıt Sil", "İptal" (after "Yeni" on the union page): the shared record
// actions, on the table of the focused control, with the page's own delete between them.
QToolBar *TSabitBilgi::recordBar(QWidget *parent, const QString &barName, QToolButton *newButton,
                                 QToolButton *deleteButton, const QString &saveName, const QString &cancelName)
{
    auto *bar = new QToolBar(parent);
    bar->setObjectName(barName);
    bar->setIconSize(QSize(20, 20));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    if (newButton)
        bar->addWidget(newButton);
    auto *actions = new RecordActions([this] { return focusedDataset(); }, this);
    actions->addTo(bar);
    m_actions << actions;
    actions->save()->setObjectName(saveName);
    actions->cancel()->setObjectName(cancelName);
    QAction *cancelAction = nullptr;
    bool afterCancel = false;
    for (QAction *action : bar->actions()) {
        if (afterCancel) {
            action->setVisible(false); // the moves belong to the other entry forms
            continue;
        }
        if (bar->widgetForAction(action) == actions->cancel()) {
            cancelAction = action;
            afterCancel = true;
        }
    }
    bar->insertWidget(cancelAction, deleteButton);
    for (QToolButton *button : {newButton, actions->save(), deleteButton, actions->cancel()}) {
        if (!button)
            continue;
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setText(button->accessibleName());
    }
    return bar;
}

QWidget *TSabitBilgi::buildFixedPage()
{
    Dataset *sabit = m_form->data()->fixedInformation();
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto *layout = new QVBoxLayout(page);

    auto *note = new QLabel(QStringLiteral("Boş Formlarda otomatik görünmesini istediğiniz alanların yanındaki "
                                           "kutucukları onaylayın!"),
                            page);
    note->setObjectName(QStringLiteral("Label1"));
    note->setWordWrap(true);
    QPalette red = note->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    note->setPalette(red);
    layout->addWidget(note);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setColumnStretch(1, 1);

    m_editAd = new QLineEdit(QStringLiteral("MELTORA"), page);
    m_editAd->setObjectName(QStringLiteral("EditAd"));
    m_editAd->setAccessibleName(QStringLiteral("Programın Adı"));
    m_editAd->setFocusPolicy(Qt::ClickFocus); // skipped by Tab
    QFont bold = m_editAd->font();
    bold.setBold(true);
    m_editAd->setFont(bold);
    QPalette grey = m_editAd->palette();
    grey.setColor(QPalette::Text, kGrey);
    m_editAd->setPalette(grey);
    keyfilters::installUpperCase(m_editAd);
    grid->addWidget(captionLabel(QStringLiteral("Programın Adı :"), m_editAd, page), 0, 0);
    grid->addWidget(m_editAd, 0, 1, 1, 5);

    auto tick = [&](const QString &column, const QString &objectName, const QString &caption) {
        auto *box = new DBCheckBox(QString(), sabit, column, page);
        box->setObjectName(objectName);
        box->setAccessibleName(caption + QStringLiteral(" boş formlarda"));
        hints::set(box, QStringLiteral("Boş formlarda otomatik görünsün"));
        bind(box, sabit);
        box->refresh(); // the table is open already: no move will tell the box
        return box;
    };
    auto edit = [&](const QString &column, const QString &objectName, const QString &caption) {
        DBEdit *box = boundEdit(sabit, column, objectName, caption, page);
        keyfilters::installUpperCase(box);
        return box;
    };

    m_kurumAdi = edit(QStringLiteral("Kurum_Adi"), QStringLiteral("DBEdit3"), QStringLiteral("Kurum Adı"));
    DBEdit *sendika = edit(QStringLiteral("sendikasi"), QStringLiteral("DBEdit4"), QStringLiteral("Sendika Adı"));
    DBEdit *adres = edit(QStringLiteral("sendika_adresi"), QStringLiteral("DBEdit5"), QStringLiteral("Sendika Adresi"));
    const QList<QPair<QString, DBEdit *>> wide = {{QStringLiteral("Kurum Adı :"), m_kurumAdi},
                                                  {QStringLiteral("Sendika Adı :"), sendika},
                                                  {QStringLiteral("Sendika Adresi :"), adres}};
    const QStringList wideTicks = {QStringLiteral("kurum_sec"), QStringLiteral("sendika_sec"),
                                   QStringLiteral("sendika_adres_sec")};
    QWidget *previous = nullptr;
    auto chain = [&](QWidget *w) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    };
    for (int i = 0; i < wide.size(); ++i) {
        const int row = i + 1;
        grid->addWidget(captionLabel(wide[i].first, wide[i].second, page), row, 0);
        grid->addWidget(wide[i].second, row, 1, 1, 4);
        auto *box = tick(wideTicks[i], QStringLiteral("DBCheckBox%1").arg(i + 1), wide[i].first.chopped(2));
        grid->addWidget(box, row, 5);
        chain(wide[i].second);
        chain(box);
    }

    DBEdit *hizmet = edit(QStringLiteral("hizmet_kolu"), QStringLiteral("DBEdit6"), QStringLiteral("Hizmet Kolu"));
    DBEdit *kurumKodu = edit(QStringLiteral("kurum_kodu"), QStringLiteral("DBEdit7"), QStringLiteral("Kurum Kodu"));
    DBEdit *il = edit(QStringLiteral("ili"), QStringLiteral("DBEdit8"), QStringLiteral("İl Adı"));
    DBEdit *ilKodu = edit(QStringLiteral("il_kodu"), QStringLiteral("DBEdit9"), QStringLiteral("İl Kodu"));
    for (DBEdit *small : {hizmet, kurumKodu, ilKodu})
        small->setFixedWidth(44);
    auto *hizmetTick = tick(QStringLiteral("hizmet_kolu_sec"), QStringLiteral("DBCheckBox4"), QStringLiteral("Hizmet Kolu"));
    auto *kurumKoduTick = tick(QStringLiteral("kurum_kod_sec"), QStringLiteral("DBCheckBox5"), QStringLiteral("Kurum Kodu"));
    auto *ilTick = tick(QStringLiteral("il_sec"), QStringLiteral("DBCheckBox6"), QStringLiteral("İl Adı"));
    auto *ilKoduTick = tick(QStringLiteral("il_kod_sec"), QStringLiteral("DBCheckBox7"), QStringLiteral("İl Kodu"));

    auto *speed = entryform::toolButton(page, QStringLiteral("SpeedButton1"),
                                        QStringLiteral("Açıklama (F1)|Hizmet kolu ve Kurum Kodu hakkında açıklama"),
                                        QStyle::SP_MessageBoxQuestion, [this] { SpeedButton1Click(); });
    speed->setAutoRaise(false);

    auto *hizmetRow = new QHBoxLayout;
    hizmetRow->addWidget(hizmet);
    hizmetRow->addWidget(hizmetTick);
    hizmetRow->addStretch(1);
    grid->addWidget(captionLabel(QStringLiteral("Hizmet Kolu :"), hizmet, page), 4, 0);
    grid->addLayout(hizmetRow, 4, 1);
    grid->addWidget(captionLabel(QStringLiteral("Kurum Kodu :"), kurumKodu, page), 4, 2);
    grid->addWidget(kurumKodu, 4, 3);
    auto *kurumKoduRow = new QHBoxLayout;
    kurumKoduRow->addWidget(kurumKoduTick);
    kurumKoduRow->addWidget(speed);
    kurumKoduRow->addStretch(1);
    grid->addLayout(kurumKoduRow, 4, 4, 1, 2);

    auto *ilRow = new QHBoxLayout;
    ilRow->addWidget(il, 1);
    ilRow->addWidget(ilTick);
    grid->addWidget(captionLabel(QStringLiteral("İl Adı :"), il, page), 5, 0);
    grid->addLayout(ilRow, 5, 1);
    grid->addWidget(captionLabel(QStringLiteral("İl Kodu :"), ilKodu, page), 5, 2);
    grid->addWidget(ilKodu, 5, 3);
    grid->addWidget(ilKoduTick, 5, 4);
    for (QWidget *w : {static_cast<QWidget *>(hizmet), static_cast<QWidget *>(hizmetTick),
                       static_cast<QWidget *>(kurumKodu), static_cast<QWidget *>(kurumKoduTick),
                       static_cast<QWidget *>(il), static_cast<QWidget *>(ilTick),
                       static_cast<QWidget *>(ilKodu), static_cast<QWidget *>(ilKoduTick)})
        chain(w);
    layout->addLayout(grid);

    m_toolButton2 = entryform::deleteButton(m_form->settings(), page, QStringLiteral("ToolButton2"),
                                            [this] { ToolButton2Click(); });
    layout->addWidget(recordBar(page, QStringLiteral("ToolBar1"), nullptr, m_toolButton2,
                                QStringLiteral("ToolButton1"), QStringLiteral("ToolButton3")));
    layout->addStretch(1);
    return page;
}

QWidget *TSabitBilgi::buildUnionPage()
{
    Dataset *unions = m_form->data()->unions();
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto *layout = new QVBoxLayout(page);

    auto *form = new QGridLayout;
    m_sendikaAdi = boundEdit(unions, QStringLiteral("sendikalar"), QStringLiteral("DBEdit10"),
                             QStringLiteral("Sendika Adı"), page);
    DBEdit *adres = boundEdit(unions, QStringLiteral("adresi"), QStringLiteral("DBEdit11"),
                              QStringLiteral("Sendika Adresi"), page);
    keyfilters::installUpperCase(m_sendikaAdi);
    keyfilters::installUpperCase(adres);
    form->addWidget(captionLabel(QStringLiteral("Sendika Adı :"), m_sendikaAdi, page), 0, 0);
    form->addWidget(m_sendikaAdi, 0, 1);
    form->addWidget(captionLabel(QStringLiteral("Sendika Adresi :"), adres, page), 1, 0);
    form->addWidget(adres, 1, 1);
    form->setColumnStretch(1, 1);
    layout->addLayout(form);

    auto *yeni = entryform::toolButton(page, QStringLiteral("ToolButton10"), QStringLiteral("Yeni"),
                                       QStyle::SP_FileIcon, [this] { ToolButton10Click(); });
    QToolButton *remove = entryform::deleteButton(m_form->settings(), page, QStringLiteral("ToolButton8"),
                                                  [this] { ToolButton8Click(); });
    layout->addWidget(recordBar(page, QStringLiteral("ToolBar2"), yeni, remove,
                                QStringLiteral("ToolButton7"), QStringLiteral("ToolButton9")));

    m_grid = new TSrDBGrid(page);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setAccessibleName(QStringLiteral("Sendikalar"));
    m_grid->setDataset(unions, {{QStringLiteral("sendikalar"), QStringLiteral("Sendika Adı"), 250},
                                {QStringLiteral("adresi"), QStringLiteral("Sendika Adresi"), 250}});
    m_grid->horizontalHeader()->setStretchLastSection(true);
    bind(m_grid, unions);
    layout->addWidget(m_grid, 1);
    setTabOrder(m_sendikaAdi, adres);
    setTabOrder(adres, m_grid);
    return page;
}

QWidget *TSabitBilgi::buildAuthorityPage()
{
    Dataset *yetkili = m_form->data()->authority();
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("TabSheet3"));
    auto *layout = new QHBoxLayout(page);

    auto *left = new QVBoxLayout;
    auto *logoGroup = new QGroupBox(QStringLiteral(" Sendika Logosu "), page);
    logoGroup->setObjectName(QStringLiteral("GroupBox1"));
    auto *logoRow = new QHBoxLayout(logoGroup);
    m_logo = new QLabel(logoGroup);
    m_logo->setObjectName(QStringLiteral("ImageLogo"));
    m_logo->setAccessibleName(QStringLiteral("Sendika Logosu"));
    m_logo->setFixedSize(100, 100);
    m_logo->setScaledContents(true);
    m_logo->setAutoFillBackground(true);
    m_logo->setFrameShape(QFrame::Box);
    QPalette silver = m_logo->palette();
    silver.setColor(QPalette::Window, kSilver);
    m_logo->setPalette(silver);
    logoRow->addWidget(m_logo);
    auto *logoButtons = new QVBoxLayout;
    auto *load = entryform::toolButton(logoGroup, QStringLiteral("ToolButton11"), QStringLiteral("Logo Yükle"),
                                       QStyle::SP_DialogOpenButton, [this] { ToolButton11Click(); });
    auto *clear = entryform::toolButton(logoGroup, QStringLiteral("ToolButton12"), QStringLiteral("Logoyu Temizle"),
                                        QStyle::SP_DialogResetButton, [this] { ToolButton12Click(); });
    logoButtons->addWidget(load);
    logoButtons->addWidget(clear);
    logoButtons->addStretch(1);
    logoRow->addLayout(logoButtons);
    logoRow->addStretch(1);
    left->addWidget(logoGroup);

    auto *formsGroup = new QGroupBox(QStringLiteral(" Logo Gösterim Formları "), page);
    formsGroup->setObjectName(QStringLiteral("GroupBox2"));
    auto *forms = new QVBoxLayout(formsGroup);
    const QList<QPair<QString, QString>> ticks = {{QStringLiteral("Boş Kayıt Formları"), QStringLiteral("logo1sec")},
                                                  {QStringLiteral("Boş İstifa Formları"), QStringLiteral("logo2sec")},
                                                  {QStringLiteral("Dolu Kayıt Formları"), QStringLiteral("logo3sec")},
                                                  {QStringLiteral("Dolu İstifa Formları"), QStringLiteral("logo4sec")}};
    for (int i = 0; i < ticks.size(); ++i) {
        auto *box = new DBCheckBox(ticks[i].first, yetkili, ticks[i].second, formsGroup);
        box->setObjectName(QStringLiteral("DBCheckBox%1").arg(8 + i));
        box->setAccessibleName(ticks[i].first);
        box->setFocusPolicy(Qt::ClickFocus); // skipped by Tab
        bind(box, yetkili);
        box->refresh();
        forms->addWidget(box);
    }
    left->addWidget(formsGroup);
    left->addStretch(1);
    layout->addLayout(left);

    auto *right = new QVBoxLayout;
    auto *officer = new QGroupBox(QStringLiteral(" Program Yetkilisinin "), page);
    officer->setObjectName(QStringLiteral("GroupBox3"));
    auto *fields = new QVBoxLayout(officer);
    DBEdit *name = boundEdit(yetkili, QStringLiteral("yetkili_adi"), QStringLiteral("DBEdit1"),
                             QStringLiteral("Adı Soyadı"), officer);
    DBEdit *role = boundEdit(yetkili, QStringLiteral("sendikal_gorevi"), QStringLiteral("DBEdit2"),
                             QStringLiteral("Sendikadaki Görevi"), officer);
    keyfilters::installWordCapitals(name);
    keyfilters::installWordCapitals(role);
    fields->addWidget(captionLabel(QStringLiteral("Adı Soyadı"), name, officer, Qt::AlignLeft));
    fields->addWidget(name);
    fields->addWidget(captionLabel(QStringLiteral("Sendikadaki Görevi"), role, officer, Qt::AlignLeft));
    fields->addWidget(role);
    fields->addStretch(1);
    right->addWidget(officer, 1);
    setTabOrder(name, role);

    QToolButton *remove = entryform::deleteButton(m_form->settings(), page, QStringLiteral("ToolButton5"),
                                                  [this] { ToolButton5Click(); });
    right->addWidget(recordBar(page, QStringLiteral("ToolBar3"), nullptr, remove,
                               QStringLiteral("ToolButton4"), QStringLiteral("ToolButton6")));
    layout->addLayout(right, 1);
    return page;
}

QWidget *TSabitBilgi::buildBottom()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label14 = new QLabel(QStringLiteral("Sendika Sayısı :"), row);
    m_label14->setObjectName(QStringLiteral("Label14"));
    QPalette grey = m_label14->palette();
    grey.setColor(QPalette::WindowText, kGrey);
    m_label14->setPalette(grey);
    m_label15 = new QLabel(QStringLiteral("0"), row);
    m_label15->setObjectName(QStringLiteral("Label15"));
    m_label15->setAccessibleName(QStringLiteral("Sendika Sayısı"));
    QFont bold = m_label15->font();
    bold.setBold(true);
    m_label15->setFont(bold);
    layout->addWidget(m_label14);
    layout->addWidget(m_label15);
    layout->addStretch(1);
    layout->addWidget(entryform::okButton(this, row, 90));
    return row;
}

// ---------------------------------------------------------------- opening and closing

void TSabitBilgi::execute(bool fromToolbar)
{
    // The name shown is always the one in use: the built-in default of a first opening
    // would otherwise replace a name kept in the settings file when the form closes.
    m_editAd->setText(m_form->programName());
    if (fromToolbar) {
        m_pageControl->setCurrentIndex(0);
        Dataset *unions = m_form->data()->unions();
        if (unions->isOpen())
            unions->first();
    }
    exec();
}

void TSabitBilgi::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        guard::run([this] { FormShow(); });
}

void TSabitBilgi::FormShow()
{
    if (m_pageControl->currentIndex() == 0)
        m_kurumAdi->setFocus();
    m_toolButton2->setEnabled(!m_form->data()->fixedInformation()->isEmpty());
    showUnionCount();
    if (!currentText(m_form->data()->authority(), QStringLiteral("logo")).isEmpty()) {
        // The main window's picture, not the file: what the user sees there is what is kept.
        const QImage shown = m_form->logoPicture();
        m_logo->setPixmap(shown.isNull() ? QPixmap() : QPixmap::fromImage(shown));
    }
    for (RecordActions *actions : std::as_const(m_actions))
        actions->update();
}

void TSabitBilgi::showUnionCount()
{
    Dataset *unions = m_form->data()->unions();
    m_label15->setText(QString::number(unions->isOpen() ? unions->recordCount() : 0));
}

bool TSabitBilgi::FormClose()
{
    SharedQueries *data = m_form->data();
    const QList<QPair<Dataset *, QString>> questions = {
        {data->fixedInformation(), QStringLiteral("Sabit bilgilerdeki değişiklikleri kaydetmek istiyor musunuz?")},
        {data->unions(), QStringLiteral("Sendika bilgilerindeki değişiklikleri kaydetmek istiyor musunuz?")},
        {data->authority(), QStringLiteral("Program yetkilisi değişikliklerini kaydetmek istiyor musunuz?")},
    };
    for (const auto &[query, text] : questions)
        if (!entryform::saveOnClose(this, query, text))
            return false;
    guard::run([this] {
        m_form->setProgramName(m_editAd->text());
        m_form->fixedInformationChanged();
    });
    return true;
}

void TSabitBilgi::reject()
{
    if (FormClose())
        QDialog::reject();
}

// ---------------------------------------------------------------- commands

Dataset *TSabitBilgi::focusedDataset() const
{
    for (QWidget *w = focusWidget(); w && w != this; w = w->parentWidget())
        if (Dataset *dataset = m_bound.value(w))
            return dataset;
    return nullptr;
}

void TSabitBilgi::ToolButton2Click()
{
    Dataset *sabit = m_form->data()->fixedInformation();
    const QString text = messages::quoted(currentText(sabit, QStringLiteral("sendikasi"))) +
                         QStringLiteral(" ile ilgili sabit bilgiler silinecek. ONAYLIYOR MUSUNUZ?\n\n"
                                        "Bilgilerin silinmesi form çıktılarında hatalara neden olacağından "
                                        "tekrar girmeyi unutmayınız !");
    if (messages::warningQuestion(this, text))
        sabit->remove();
}

void TSabitBilgi::ToolButton8Click()
{
    Dataset *unions = m_form->data()->unions();
    const QString text = messages::quoted(currentText(unions, QStringLiteral("sendikalar"))) +
                         QStringLiteral(" adlı sendika silinecek. Onaylıyor musunuz?");
    if (messages::warningQuestion(this, text))
        unions->remove();
}

void TSabitBilgi::ToolButton5Click()
{
    Dataset *yetkili = m_form->data()->authority();
    const QString text = messages::quoted(currentText(yetkili, QStringLiteral("yetkili_adi"))) +
                         QStringLiteral(" adlı program yetkilisine ait bilgiler silinecek. Onaylıyor musunuz?");
    if (!messages::warningQuestion(this, text))
        return;
    yetkili->remove();
    // The logo's path went with the row.
    if (currentText(yetkili, QStringLiteral("logo")).isEmpty())
        m_logo->clear();
}

void TSabitBilgi::ToolButton10Click()
{
    m_sendikaAdi->setFocus();
    m_form->data()->unions()->append();
}

void TSabitBilgi::ToolButton11Click()
{
    QFileDialog dialog(this, QStringLiteral("Logo Yükle"), ProgramDir::file(QStringLiteral("Logo")));
    dialog.setObjectName(QStringLiteral("OpenPictureDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(pictureFilters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
    const QImage picture = pictures::load(path);
    if (picture.isNull()) {
        messages::showError(QStringLiteral("Geçersiz resim formatı"));
        return;
    }
    // A path the table refuses (longer than the column, say) is a failure of the loading
    // too; why it failed comes as the detail.
    try {
        storeLogo(path);
    } catch (const DbError &e) {
        messages::showError(QStringLiteral("Geçersiz resim formatı"), messages::describe(e).text);
        return;
    }
    m_logo->setPixmap(QPixmap::fromImage(picture));
}

void TSabitBilgi::ToolButton12Click()
{
    storeLogo(QString());
    m_logo->clear();
}

// Only the path is kept, never the picture. When the table refuses it, the row is as it
// was before: whatever the user had typed into it stays, unsaved, and the frame keeps
// showing the picture that belongs to the stored path.
void TSabitBilgi::storeLogo(const QString &path)
{
    Dataset *yetkili = m_form->data()->authority();
    const bool wasEditing = yetkili->isEditing();
    const QVariant before = wasEditing ? yetkili->value(QStringLiteral("logo")) : QVariant();
    yetkili->edit();
    try {
        yetkili->setFieldText(QStringLiteral("logo"), path);
        yetkili->post();
    } catch (const DbError &) {
        if (wasEditing)
            yetkili->setValue(QStringLiteral("logo"), before);
        else
            yetkili->cancel();
        throw;
    }
}

void TSabitBilgi::SpeedButton1Click()
{
    if (m_openCodeList)
        m_openCodeList();
}
