#include "tkurumkayit.h"

#include "toolkit/idlerefresh.h"
#include "toolkit/workspace.h"
#include "data/sharedqueries.h"
#include "entryform.h"
#include "toolkit/dbedit.h"
#include "toolkit/guard.h"
#include "toolkit/keyfilters.h"
#include "toolkit/messages.h"
#include "toolkit/recordactions.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

TKurumKayit::TKurumKayit(Workspace *workspace)
    : QDialog(workspace->parentWindow()), m_form(workspace)
{
    setObjectName(QStringLiteral("KurumKayit"));
    setWindowTitle(QStringLiteral("  Birim Kayıt"));
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(buildFields());
    layout->addWidget(buildButtons());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    entryform::keepOpenOnEscape(this);
    entryform::showHintsInStatusBar(this, workspace->parentWindow());

    workspace->idleRefresh()->addRule([this] { m_actions->update(); });
}

QWidget *TKurumKayit::buildFields()
{
    auto *panel = new QGroupBox(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    grid->setColumnMinimumWidth(1, 130);
    grid->setColumnStretch(3, 1);

    Dataset *okul = m_form->data()->units();
    struct Field {
        const char *caption;
        const char *column;
        int row, column_, span;
    };
    // Tab order is the order of this table.
    const Field fields[] = {
        {"Birim Adı :", "okul_adi", 0, 0, 3},
        {"Birim Müdürü :", "okul_muduru", 1, 0, 3},
        {"Birim Adresi :", "adresi", 2, 0, 3},
        {"Birim Telefonu :", "telefonu", 3, 0, 1},
        {"İl :", "ili", 3, 2, 1},
        {"İlçesi :", "ilcesi", 4, 2, 1},
    };
    QWidget *previous = nullptr;
    for (int i = 0; i < 6; ++i) {
        const Field &f = fields[i];
        const QString caption = QString::fromUtf8(f.caption);
        auto *label = new QLabel(caption, panel);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto *box = new DBEdit(okul, QLatin1String(f.column), panel);
        box->setObjectName(QStringLiteral("DBEdit%1").arg(i + 1));
        box->setAccessibleName(caption.chopped(2));
        label->setBuddy(box);
        keyfilters::installUpperCase(box);
        if (i == 3) {
            box->setMask(DBEdit::Mask::Phone);
            box->setFixedWidth(130);
        }
        if (i < 3)
            box->setMinimumWidth(380);
        grid->addWidget(label, f.row, f.column_);
        grid->addWidget(box, f.row, f.column_ + 1, 1, f.span);
        if (previous)
            setTabOrder(previous, box);
        previous = box;
        m_edits << box;
    }
    m_edits[4]->installEventFilter(this);
    return panel;
}

QWidget *TKurumKayit::buildButtons()
{
    const entryform::BottomRow bottom =
        entryform::bottomRow(m_form->settings(), this, m_form->data()->units(), QStringLiteral("Yeni Birim Ekle"),
                             [this] { ToolButton1Click(); }, [this] { ToolButton2Click(); }, 90);
    m_actions = bottom.actions;
    return bottom.row;
}

void TKurumKayit::execute()
{
    m_actions->update();
    exec();
}

void TKurumKayit::ToolButton1Click()
{
    m_edits[0]->setFocus();
    m_form->data()->units()->append();
}

void TKurumKayit::ToolButton2Click()
{
    SharedQueries *data = m_form->data();
    Dataset *okul = data->units();
    // Counted in the table: after a staff search the staff list may show none of them.
    const QVariant siraNo = okul->isEmpty() ? QVariant() : okul->value(QStringLiteral("SiraNo"));
    if (data->staffCountOfUnit(siraNo) > 0) {
        messages::plain(this, QStringLiteral("Silmek istediğiniz birime ait personel kayıtları var. "
                                             "Önce personel kayıtlarını silmelisiniz!"));
        return;
    }
    const QString name = okul->isEmpty() ? QString() : okul->fieldText(QStringLiteral("okul_adi"));
    const QString text =
        messages::quoted(name) + QStringLiteral(" adlı birim ve tüm personeli silinecek. Onaylıyor musunuz?");
    if (messages::warningQuestion(this, text))
        okul->remove();
}

void TKurumKayit::DBEdit5Enter()
{
    Dataset *okul = m_form->data()->units();
    Dataset *sabit = m_form->data()->fixedInformation();
    const QString province = sabit->isOpen() && !sabit->isEmpty() ? sabit->fieldText(QStringLiteral("ili")) : QString();
    okul->edit();
    okul->setFieldText(QStringLiteral("ili"), province);
}

bool TKurumKayit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edits.value(4) && event->type() == QEvent::FocusIn) {
        // Coming back to the window (after a message box, say) is no entering of the box:
        // it would overwrite a province the user has just typed.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guard::run([this] { DBEdit5Enter(); });
    }
    return QDialog::eventFilter(watched, event);
}

bool TKurumKayit::FormClose()
{
    // A new row without a name is left pending: the user may still be about to name it.
    if (m_edits[0]->text().isEmpty())
        return true;
    return entryform::saveOnClose(this, m_form->data()->units(),
                                  QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"));
}

void TKurumKayit::reject()
{
    if (FormClose())
        QDialog::reject();
}
