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

QToolButton *TFrmExcels::navigatorButton(QWidget *bar, const QString &objectName,
                                         const QString &hint, QStyle::StandardPixmap icon,
                                         void (TFrmExcels::*action)())
{
    auto *b = new QToolButton(bar);
    b->setObjectName(objectName);
    b->setAccessibleName(hint);
    b->setIcon(style()->standardIcon(icon));
    hints::set(b, hint);
    bar->layout()->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, action] {
        guard::run([&] { (this->*action)(); });
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
    m_first = navigatorButton(bar, QStringLiteral("nbFirst"), QStringLiteral("İlk Kayıt"),
                              QStyle::SP_MediaSkipBackward, &TFrmExcels::first);
    m_prior = navigatorButton(bar, QStringLiteral("nbPrior"), QStringLiteral("Önceki Kayıt"),
                              QStyle::SP_MediaSeekBackward, &TFrmExcels::prior);
    m_next = navigatorButton(bar, QStringLiteral("nbNext"), QStringLiteral("Sonraki Kayıt"),
                             QStyle::SP_MediaSeekForward, &TFrmExcels::next);
    m_last = navigatorButton(bar, QStringLiteral("nbLast"), QStringLiteral("Son Kayıt"),
                             QStyle::SP_MediaSkipForward, &TFrmExcels::last);
    m_insert = navigatorButton(bar, QStringLiteral("nbInsert"), QStringLiteral("Yeni Kayıt"),
                               QStyle::SP_FileDialogNewFolder, &TFrmExcels::insert);
    m_delete = navigatorButton(bar, QStringLiteral("nbDelete"), QStringLiteral("Kayıt Sil"),
                               QStyle::SP_TrashIcon, &TFrmExcels::remove);
    m_post = navigatorButton(bar, QStringLiteral("nbPost"), QStringLiteral("KAYDET"),
                             QStyle::SP_DialogSaveButton, &TFrmExcels::post);
    m_cancel = navigatorButton(bar, QStringLiteral("nbCancel"), QStringLiteral("İptal"),
                               QStyle::SP_DialogCancelButton, &TFrmExcels::cancel);
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

void TFrmExcels::first()
{
    m_staging->first();
}

void TFrmExcels::prior()
{
    m_staging->prior();
}

void TFrmExcels::next()
{
    m_staging->next();
}

void TFrmExcels::last()
{
    m_staging->last();
}

void TFrmExcels::insert()
{
    m_staging->append();
    m_edits.constFirst()->setFocus();
}

// A staged row goes without a question.
void TFrmExcels::remove()
{
    m_staging->remove();
}

void TFrmExcels::post()
{
    m_staging->post();
}

void TFrmExcels::cancel()
{
    m_staging->cancel();
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
