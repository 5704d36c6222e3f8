#include "entryform.h"

#include "data/settings.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "toolkit/guard.h"
#include "toolkit/hints.h"
#include "toolkit/messages.h"
#include "toolkit/recordactions.h"
#include "toolkit/warningsound.h"
#include "toolkit/standardicons.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace entryform {

namespace {

// An event filter made of a function: true from the function keeps the event from the
// watched object.
class Filter : public QObject
{
public:
    Filter(QObject *parent, std::function<bool(QObject *, QEvent *)> filter)
        : QObject(parent), m_filter(std::move(filter))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override { return m_filter(watched, event); }

private:
    std::function<bool(QObject *, QEvent *)> m_filter;
};

bool belongsTo(QObject *watched, QDialog *form, KeyScope scope)
{
    if (scope == KeyScope::FormWindow) {
        auto *widget = qobject_cast<QWidget *>(watched);
        return widget && widget->window() == form;
    }
    for (QObject *o = watched; o; o = o->parent())
        if (o == form)
            return true;
    return false;
}

} // namespace

QToolButton *toolButton(QWidget *parent, const QString &objectName, const QString &hint,
                        QStyle::StandardPixmap icon, std::function<void()> command)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setAccessibleName(hints::shortPart(hint));
    button->setIcon(standardicons::get(icon));
    button->setAutoRaise(true);
    // Tool buttons are pressed with the mouse; the Tab key visits the boxes and "TAMAM" only.
    button->setFocusPolicy(Qt::NoFocus);
    hints::set(button, hint);
    QObject::connect(button, &QToolButton::clicked, button,
                     [command = std::move(command)] { guard::run(command); });
    return button;
}

QToolButton *deleteButton(const Settings &settings, QWidget *parent, const QString &objectName,
                          std::function<void()> command)
{
    QToolButton *button = toolButton(parent, objectName, QStringLiteral("Kayıt Sil"),
                                     QStyle::SP_TrashIcon, std::move(command));
    button->installEventFilter(new Filter(button, [&settings](QObject *, QEvent *event) {
        if (event->type() == QEvent::MouseButtonPress && settings.sound)
            warningsound::play();
        return false;
    }));
    return button;
}

QPushButton *okButton(QDialog *form, QWidget *parent, int minimumWidth)
{
    auto *button = new QPushButton(standardicons::get(QStyle::SP_DialogOkButton),
                                   QStringLiteral("TAMAM"), parent);
    button->setObjectName(QStringLiteral("BitBtn1"));
    button->setAccessibleName(QStringLiteral("TAMAM"));
    button->setAutoDefault(false);
    button->setMinimumWidth(minimumWidth);
    QObject::connect(button, &QPushButton::clicked, form, &QWidget::close);
    return button;
}

QLabel *changedElsewhereNote(QWidget *parent, Dataset *dataset)
{
    auto *note = new QLabel(parent);
    note->setObjectName(QStringLiteral("BaskaYerdeDegisti"));
    note->setText(QStringLiteral("Bu kayıt siz düzenlerken başka bir yerde değiştirildi; "
                                 "kaydettiğinizde denetlenecek."));
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #b00000;"));
    note->hide();
    QObject::connect(dataset, &Dataset::changedElsewhere, note, &QLabel::show);
    QObject::connect(dataset, &Dataset::stateChanged, note, [note](Dataset::State state) {
        if (state == Dataset::State::Browse || state == Dataset::State::Inactive)
            note->hide();
    });
    return note;
}

BottomRow bottomRow(const Settings &settings, QDialog *dialog, Dataset *dataset, const QString &newHint,
                    std::function<void()> onNew, std::function<void()> onDelete, int okMinimumWidth)
{
    BottomRow bottom{};
    bottom.row = new QWidget(dialog);
    auto *layout = new QHBoxLayout(bottom.row);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *bar = new QToolBar(bottom.row);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setIconSize(QSize(20, 20));
    QToolButton *newButton = toolButton(bar, QStringLiteral("ToolButton1"), newHint,
                                        QStyle::SP_FileIcon, std::move(onNew));
    QToolButton *remove =
        deleteButton(settings, bar, QStringLiteral("ToolButton2"), std::move(onDelete));
    bar->addWidget(newButton);
    bar->addWidget(remove);
    bottom.actions = new RecordActions([dataset] { return dataset; }, dialog);
    bottom.actions->addTo(bar);
    layout->addWidget(bar);
    layout->addStretch(1);
    layout->addWidget(changedElsewhereNote(bottom.row, dataset));

    layout->addWidget(okButton(dialog, bottom.row, okMinimumWidth));
    return bottom;
}

void showHintsInStatusBar(QDialog *form, QWidget *mainWindow)
{
    // A status tip travels up to its window only; the main window's status bar is another.
    form->installEventFilter(new Filter(form, [mainWindow](QObject *, QEvent *event) {
        if (event->type() != QEvent::StatusTip)
            return false;
        QCoreApplication::sendEvent(mainWindow, event);
        return true;
    }));
}

void keepOpenOnEscape(QDialog *form)
{
    // Seen before the dialog's own key handling, which would reject the form.
    form->installEventFilter(new Filter(form, [](QObject *, QEvent *event) {
        if (event->type() != QEvent::KeyPress ||
            static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape)
            return false;
        event->accept();
        return true;
    }));
}

void onF1(QDialog *form, KeyScope scope, std::function<void()> command)
{
    auto *preview = new Filter(
        form, [form, scope, command = std::move(command)](QObject *watched, QEvent *event) {
            if (event->type() != QEvent::KeyRelease)
                return false;
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() != Qt::Key_F1 || key->isAutoRepeat() ||
                QApplication::activeModalWidget() != form || !belongsTo(watched, form, scope))
                return false;
            guard::run(command);
            return true;
        });
    // In the application's filters only while the form is shown: the rest of the time every
    // key of the program would pass through it for nothing.
    form->installEventFilter(new Filter(preview, [preview](QObject *, QEvent *event) {
        if (event->type() == QEvent::Show)
            qApp->installEventFilter(preview);
        else if (event->type() == QEvent::Hide)
            qApp->removeEventFilter(preview);
        return false;
    }));
}

bool saveOnClose(QWidget *form, Dataset *dataset, const QString &question)
{
    if (!dataset->isEditing())
        return true;
    if (!messages::saveQuestion(form, question)) {
        dataset->cancel();
        return true;
    }
    try {
        dataset->post();
        return true;
    } catch (const DbError &e) {
        if (e.kind() != DbError::Kind::ReadOnly) {
            messages::showError(e);
            return false;
        }
        // Nothing can ever be saved here: keeping the form open would only trap the user.
        // The typing is dropped, and the user is told so.
        const messages::Description d = messages::describe(e);
        messages::showError(d.text + QStringLiteral(" Değişiklikler kaydedilmedi."), d.detail);
        dataset->cancel();
        return true;
    } catch (const std::exception &e) {
        messages::showError(e);
        return false;
    }
}

} // namespace entryform
