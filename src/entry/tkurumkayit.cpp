#include "tkurumkayit.h"

#include "app/idlerefresh.h"
#include "app/tform1.h"
#include "data/sharedqueries.h"
#include "toolkit/dbedit.h"
#include "toolkit/guard.h"
#include "toolkit/hints.h"
#include "toolkit/keyfilters.h"
#include "toolkit/messages.h"
#include "toolkit/recordactions.h"
#include "toolkit/warningsound.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The save question on closing: like the platform's Yes/No box it can only be answered,
// never dismissed with Escape or its close box, which would silently drop the typing.
class SaveQuestion : public QMessageBox
{
public:
    SaveQuestion(QWidget *parent, const QString &text)
        : QMessageBox(QMessageBox::NoIcon, QStringLiteral("Dikkat !"), text, QMessageBox::NoButton, parent)
    {
        setObjectName(QStringLiteral("MessageBox"));
        m_yes = addButton(QStringLiteral("Evet"), QMessageBox::YesRole);
        addButton(QStringLiteral("Hayır"), QMessageBox::NoRole);
        setDefaultButton(m_yes);
    }
    bool yes() const { return clickedButton() == m_yes; }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override { event->ignore(); }

private:
    QPushButton *m_yes;
};

bool askToSave(QWidget *parent, const QString &text)
{
    SaveQuestion box(parent, text);
    box.exec();
    return box.yes();
}

// The program's warning question before a deletion: "Dikkat !", warning icon, "Evet"/"Hayır".
bool askWarning(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Dikkat !"), text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    QPushButton *yes = box.addButton(QStringLiteral("Evet"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("Hayır"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

QString quoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

} // namespace

TKurumKayit::TKurumKayit(TForm1 *form) : QDialog(form), m_form(form)
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

    form->idleRefresh()->addRule([this] { m_actions->update(); });
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

    Dataset *okul = m_form->data()->QueryOkul;
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
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *bar = new QToolBar(row);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setIconSize(QSize(20, 20));
    auto tool = [&](const QString &objectName, const QString &hint, QStyle::StandardPixmap icon) {
        auto *button = new QToolButton(bar);
        button->setObjectName(objectName);
        button->setAccessibleName(hint);
        button->setIcon(style()->standardIcon(icon));
        button->setAutoRaise(true);
        hints::set(button, hint);
        bar->addWidget(button);
        return button;
    };
    m_toolButton1 = tool(QStringLiteral("ToolButton1"), QStringLiteral("Yeni Birim Ekle"), QStyle::SP_FileIcon);
    m_toolButton2 = tool(QStringLiteral("ToolButton2"), QStringLiteral("Kayıt Sil"), QStyle::SP_TrashIcon);
    connect(m_toolButton1, &QToolButton::clicked, this, [this] { guard::run([this] { ToolButton1Click(); }); });
    connect(m_toolButton2, &QToolButton::clicked, this, [this] { guard::run([this] { ToolButton2Click(); }); });
    m_toolButton2->installEventFilter(this);

    Dataset *okul = m_form->data()->QueryOkul;
    m_actions = new RecordActions([okul] { return okul; }, this);
    m_actions->addTo(bar);
    layout->addWidget(bar);
    layout->addStretch(1);

    m_bitBtn1 = new QPushButton(QStringLiteral("TAMAM"), row);
    m_bitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    m_bitBtn1->setAccessibleName(QStringLiteral("TAMAM"));
    m_bitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    m_bitBtn1->setAutoDefault(false);
    m_bitBtn1->setMinimumWidth(90);
    connect(m_bitBtn1, &QPushButton::clicked, this, &QWidget::close);
    layout->addWidget(m_bitBtn1);
    return row;
}

void TKurumKayit::execute()
{
    m_actions->update();
    exec();
}

void TKurumKayit::ToolButton1Click()
{
    m_edits[0]->setFocus();
    m_form->data()->QueryOkul->append();
}

void TKurumKayit::ToolButton2Click()
{
    SharedQueries *data = m_form->data();
    Dataset *okul = data->QueryOkul;
    // Counted in the table: after a staff search the staff list may show none of them.
    const QVariant siraNo = okul->isEmpty() ? QVariant() : okul->value(QStringLiteral("SiraNo"));
    if (data->staffCountOfUnit(siraNo) > 0) {
        messages::plain(this, QStringLiteral("Silmek istediğiniz birime ait personel kayıtları var. "
                                             "Önce personel kayıtlarını silmelisiniz!"));
        return;
    }
    const QString name = okul->isEmpty() ? QString() : okul->fieldText(QStringLiteral("okul_adi"));
    if (askWarning(this, quoted(name) + QStringLiteral(" adlı birim ve tüm personeli silinecek. Onaylıyor musunuz?")))
        okul->remove();
}

void TKurumKayit::DBEdit5Enter()
{
    Dataset *okul = m_form->data()->QueryOkul;
    Dataset *sabit = m_form->data()->QuerySabit;
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
    } else if (watched == m_toolButton2 && event->type() == QEvent::MouseButtonPress) {
        if (m_form->settings().sound)
            warningsound::play();
    }
    return QDialog::eventFilter(watched, event);
}

bool TKurumKayit::FormClose()
{
    Dataset *okul = m_form->data()->QueryOkul;
    // A new row without a name is left pending: the user may still be about to name it.
    if (!okul->isEditing() || m_edits[0]->text().isEmpty())
        return true;
    if (!askToSave(this, QStringLiteral("Değişiklikleri kaydetmek istiyor musunuz?"))) {
        okul->cancel();
        return true;
    }
    // A refused save keeps the form open on the typed row.
    return guard::run([okul] { okul->post(); });
}

// Escape closes no entry form: the close box and "TAMAM" do, with their questions.
void TKurumKayit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TKurumKayit::reject()
{
    if (FormClose())
        QDialog::reject();
}
