#include "tfrmhakkinda.h"

#include "data/dataset.h"
#include "data/sharedqueries.h"
#include "supportlinks.h"
#include "toolkit/controls.h"
#include "toolkit/dialogs.h"

#include <QApplication>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using controls::name;

namespace
{

const QColor kLinkBlue(0, 0, 255);

QLabel *label(const QString &objectName, const QString &text, QWidget *parent, int points = 0,
              bool bold = false)
{
    auto *l = new QLabel(text, parent);
    name(l, objectName);
    QFont font = l->font();
    if (points > 0)
        font.setPointSize(points);
    font.setBold(bold);
    l->setFont(font);
    return l;
}

} // namespace

TFrmHakkinda::TFrmHakkinda(SharedQueries *data, std::function<QString()> programTitle,
                           QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_data(data),
      m_programTitle(std::move(programTitle))
{
    dialogs::setTitle(this, QStringLiteral("FrmHakkinda"), QStringLiteral("  Program Hakkında"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_label1 = label(QStringLiteral("Label1"), QString(), this, 22, true);
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->setMinimumWidth(380);
    QPalette navy = m_label1->palette();
    navy.setColor(QPalette::WindowText, QColor(0x1f, 0x3a, 0x68));
    m_label1->setPalette(navy);
    auto *shadow = new QGraphicsDropShadowEffect(m_label1);
    shadow->setOffset(2, 2);
    shadow->setBlurRadius(0);
    shadow->setColor(QColor(160, 160, 160));
    m_label1->setGraphicsEffect(shadow);
    layout->addWidget(m_label1);
    QLabel *version = label(QStringLiteral("Label3"), QStringLiteral("Sürüm 2.0"), this);
    version->setAlignment(Qt::AlignCenter);
    version->setEnabled(false);
    layout->addWidget(version);

    auto *box = new QFrame(this);
    box->setObjectName(QStringLiteral("Panel1"));
    box->setFrameShape(QFrame::StyledPanel);
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->setSpacing(4);
    QLabel *heading = label(QStringLiteral("RzLabel1"), QStringLiteral("Program Yetkilisi"), box);
    heading->setAlignment(Qt::AlignCenter);
    boxLayout->addWidget(heading);
    m_label2 = label(QStringLiteral("Label2"), QString(), box, 11, true);
    m_label2->setAlignment(Qt::AlignCenter);
    m_label2->setTextFormat(Qt::PlainText);
    boxLayout->addWidget(m_label2);
    layout->addWidget(box);

    auto *linkRow = new QHBoxLayout;
    linkRow->setSpacing(0);
    linkRow->addStretch(1);
    linkRow->addWidget(label(QStringLiteral("Label6"),
                             QStringLiteral("Programla İlgili Soru ve Sorunlarınız İçin: "), this));
    m_label7 = label(QStringLiteral("Label7"), support::kSite.toUpper(), this, 0, true);
    support::makeLink(m_label7, kLinkBlue);
    linkRow->addWidget(m_label7);
    linkRow->addStretch(1);
    layout->addLayout(linkRow);

    auto *buttons = new QHBoxLayout;
    QPushButton *help = controls::commandButton(QStringLiteral("RzBitBtn1"),
                                                QStringLiteral("Yardım (F1)"), QString(), this);
    QPushButton *close = controls::commandButton(QStringLiteral("BitBtn1"), QStringLiteral("KAPAT"),
                                                 QString(), this);
    for (QPushButton *b : {help, close})
        b->setMinimumWidth(91);
    close->setDefault(true);
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(help, &QPushButton::clicked, this, &TFrmHakkinda::RzBitBtn1Click);
    connect(close, &QPushButton::clicked, this, &TFrmHakkinda::BitBtn1Click);
}

QString TFrmHakkinda::authority() const
{
    Dataset *q = m_data->authority();
    const QString name =
        q->isOpen() && !q->isEmpty() ? q->fieldText(QStringLiteral("yetkili_adi")) : QString();
    return name.trimmed().isEmpty() ? QStringLiteral("Yetkili Atanmamış") : name;
}

void TFrmHakkinda::showModal()
{
    m_label1->setText(m_programTitle ? m_programTitle() : QString());
    m_label2->setText(authority());
    m_helpAsked = false;
    if (parentWidget())
        dialogs::centreOn(this, parentWidget());
    // The window sees F1 before its controls do.
    qApp->installEventFilter(this);
    exec();
    qApp->removeEventFilter(this);
    if (m_helpAsked && m_openHelp)
        m_openHelp();
}

void TFrmHakkinda::RzBitBtn1Click()
{
    m_helpAsked = true;
    hide();
    close();
}

void TFrmHakkinda::BitBtn1Click()
{
    close();
}

bool TFrmHakkinda::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyRelease || !isVisible())
        return QDialog::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (key->key() != Qt::Key_F1 || key->isAutoRepeat() || key->modifiers() != Qt::NoModifier ||
        !widget || widget->window() != this)
        return QDialog::eventFilter(watched, event);
    // A key travels from the focused control up to the window; act on it once, first.
    QWidget *focus = QApplication::focusWidget();
    if (widget != (focus && focus->window() == this ? focus : this))
        return QDialog::eventFilter(watched, event);
    RzBitBtn1Click();
    return true;
}
