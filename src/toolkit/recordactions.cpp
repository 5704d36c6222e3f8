#include "recordactions.h"

#include "data/dataset.h"
#include "guard.h"
#include "hints.h"
#include "standardicons.h"

#include <QStyle>
#include <QToolBar>
#include <QToolButton>

RecordActions::RecordActions(std::function<Dataset *()> target, QObject *parent)
    : QObject(parent), m_target(std::move(target))
{
}

QToolButton *RecordActions::button(QToolBar *bar, const QString &objectName, const QString &hint,
                                   int icon, std::function<void(Dataset *)> command)
{
    auto *b = new QToolButton(bar);
    b->setObjectName(objectName);
    b->setAccessibleName(hint);
    b->setIcon(standardicons::get(QStyle::StandardPixmap(icon)));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus); // pressed with the mouse, never a stop of the Tab key
    hints::set(b, hint);
    bar->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, command] {
        guard::run([&] {
            if (Dataset *d = m_target())
                command(d);
        });
        update();
    });
    return b;
}

void RecordActions::addTo(QToolBar *bar)
{
    m_save = button(bar, QStringLiteral("KaydetButton"), QStringLiteral("Kaydet"),
                    QStyle::SP_DialogSaveButton, [](Dataset *d) { d->post(); });
    m_cancel = button(bar, QStringLiteral("IptalButton"), QStringLiteral("İptal"),
                      QStyle::SP_DialogCancelButton, [](Dataset *d) { d->cancel(); });
    bar->addSeparator();
    m_first = button(bar, QStringLiteral("IlkKayitButton"), QStringLiteral("İlk Kayıt"),
                     QStyle::SP_MediaSkipBackward, [](Dataset *d) { d->first(); });
    m_prior = button(bar, QStringLiteral("OncekiKayitButton"), QStringLiteral("Önceki Kayıt"),
                     QStyle::SP_MediaSeekBackward, [](Dataset *d) { d->prior(); });
    m_next = button(bar, QStringLiteral("SonrakiKayitButton"), QStringLiteral("Sonraki Kayıt"),
                    QStyle::SP_MediaSeekForward, [](Dataset *d) { d->next(); });
    m_last = button(bar, QStringLiteral("SonKayitButton"), QStringLiteral("Son Kayıt"),
                    QStyle::SP_MediaSkipForward, [](Dataset *d) { d->last(); });
    update();
}

void RecordActions::update()
{
    Dataset *d = m_target ? m_target() : nullptr;
    const bool open = d && d->isOpen();
    const bool atFirst = !open || d->recNo() <= 1;
    const bool atLast = !open || d->recNo() >= d->recordCount();
    const bool editing = open && d->isEditing();
    auto set = [](QToolButton *b, bool on) {
        if (b && b->isEnabled() != on)
            b->setEnabled(on);
    };
    set(m_first, !atFirst);
    set(m_prior, !atFirst);
    set(m_next, !atLast);
    set(m_last, !atLast);
    set(m_save, editing);
    set(m_cancel, editing);
}
