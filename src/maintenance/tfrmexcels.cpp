#include "tfrmexcels.h"

#include "data/dataset.h"
#include "excelimport.h"
#include "toolkit/dbedit.h"
#include "toolkit/guard.h"
#include "toolkit/hints.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFrmExcels::TFrmExcels(Dataset *staging, QWidget *parent) : QDialog(parent), m_staging(staging)
{
    setObjectName(QStringLiteral("FrmExcels"));
    // A tool window without a caption: "Kapat" closes it.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint);
    setModal(true);

    auto *close = new QPushButton(QStringLiteral("Kapat"), this);
    close->setObjectName(QStringLiteral("Button1"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &TFrmExcels::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(buildNavigator());
    bottom->addStretch();
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(buildFields());
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_staging, &Dataset::stateChanged, this, &TFrmExcels::updateNavigator);
    connect(m_staging, &Dataset::rowsReset, this, &TFrmExcels::updateNavigator);
    for (auto signal : {&Dataset::currentMoved, &Dataset::rowInserted, &Dataset::rowRemoved})
        connect(m_staging, signal, this, &TFrmExcels::updateNavigator);
    updateNavigator();
}

QWidget *TFrmExcels::buildFields()
{
    auto *panel = new QWidget(this);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int f = 0; f < excelimport::kFieldCount; ++f) {
        const QString caption = excelimport::fieldTitles()[f] + QStringLiteral(" :");
        auto *label = new QLabel(caption, panel);
        label->setObjectName(QStringLiteral("Label%1").arg(f + 1));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *edit = new DBEdit(m_staging, excelimport::fields()[f], panel);
        edit->setObjectName(QStringLiteral("DBEdit%1").arg(f + 1));
        edit->setAccessibleName(excelimport::fieldTitles()[f]);
        edit->setStyleSheet(QStringLiteral("background-color: #d4d0c8;"));
        edit->setMinimumWidth(f == 0 || f == 2 ? 380 : 200);
        label->setBuddy(edit);
        grid->addWidget(label, f, 0);
        grid->addWidget(edit, f, 1, Qt::AlignLeft);
        m_edits << edit;
    }
    return panel;
}

QToolButton *TFrmExcels::navigatorButton(QWidget *bar, const char *objectName, const char *hint,
                                         QStyle::StandardPixmap icon, std::function<void()> action)
{
    auto *b = new QToolButton(bar);
    b->setObjectName(QLatin1String(objectName));
    b->setAccessibleName(QString::fromUtf8(hint));
    b->setIcon(style()->standardIcon(icon));
    hints::set(b, QString::fromUtf8(hint));
    bar->layout()->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, action] {
        guard::run(action);
        updateNavigator();
    });
    return b;
}

QWidget *TFrmExcels::buildNavigator()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("DBNavigator1"));
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    Dataset *d = m_staging;
    struct Button {
        QToolButton **member;
        const char *name;
        const char *hint;
        QStyle::StandardPixmap icon;
        std::function<void()> action;
    };
    const Button buttons[] = {
        {&m_first, "IlkKayitButton", "İlk Kayıt", QStyle::SP_MediaSkipBackward,
         [d] { d->first(); }},
        {&m_prior, "OncekiKayitButton", "Önceki Kayıt", QStyle::SP_MediaSeekBackward,
         [d] { d->prior(); }},
        {&m_next, "SonrakiKayitButton", "Sonraki Kayıt", QStyle::SP_MediaSeekForward,
         [d] { d->next(); }},
        {&m_last, "SonKayitButton", "Son Kayıt", QStyle::SP_MediaSkipForward, [d] { d->last(); }},
        {&m_insert, "YeniKayitButton", "Yeni Kayıt", QStyle::SP_FileDialogNewFolder,
         [this, d] {
             d->append();
             m_edits.constFirst()->setFocus();
         }},
        // A staged row goes without a question.
        {&m_delete, "KayitSilButton", "Kayıt Sil", QStyle::SP_TrashIcon, [d] { d->remove(); }},
        {&m_post, "KaydetButton", "KAYDET", QStyle::SP_DialogSaveButton, [d] { d->post(); }},
        {&m_cancel, "IptalButton", "İptal", QStyle::SP_DialogCancelButton, [d] { d->cancel(); }},
    };
    for (const Button &b : buttons)
        *b.member = navigatorButton(bar, b.name, b.hint, b.icon, b.action);
    return bar;
}

void TFrmExcels::updateNavigator()
{
    const bool open = m_staging->isOpen();
    const bool atFirst = !open || m_staging->recNo() <= 1;
    const bool atLast = !open || m_staging->recNo() >= m_staging->recordCount();
    const bool editing = open && m_staging->isEditing();
    m_first->setEnabled(!atFirst);
    m_prior->setEnabled(!atFirst);
    m_next->setEnabled(!atLast);
    m_last->setEnabled(!atLast);
    m_insert->setEnabled(open);
    m_delete->setEnabled(open && !m_staging->isEmpty());
    m_post->setEnabled(editing);
    m_cancel->setEnabled(editing);
}

void TFrmExcels::reject()
{
    const bool saved = guard::run([this] {
        if (m_staging->isEditing() && m_staging->isModified())
            m_staging->post();
        else if (m_staging->isEditing())
            m_staging->cancel();
    });
    if (saved)
        QDialog::reject();
}
