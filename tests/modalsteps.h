#pragma once

// Plays the user's part in modal windows that the program opens one inside the other (an
// error box over the dialog that raised it, a dialog over the window the test drives).

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>

// Each step names the window it waits for (object name or class name) and acts on it, in
// turn. A step that presses a button presses it from the event loop (press()), so that the
// window this opens can be played by the next step. A step waits until another window than
// the one acted on last is in front. A window out of turn is closed and noted in
// `unexpected`, so that no test waits for ever; windows named in `background` (the one the
// test drives itself) are left alone.
class ModalSteps
{
public:
    using Act = std::function<void(QWidget *window)>;

    explicit ModalSteps(QStringList background = {}) : m_background(std::move(background))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }

    ModalSteps &then(const QString &window, Act act)
    {
        m_steps.append({window, std::move(act)});
        return *this;
    }
    // A message box: keeps its title, text and icon, then presses the button of that text.
    ModalSteps &answer(const QString &button)
    {
        return then(QStringLiteral("MessageBox"), [this, button](QWidget *window) {
            auto *box = static_cast<QMessageBox *>(window);
            titles << box->windowTitle();
            texts << box->text();
            icons << box->icon();
            for (QAbstractButton *b : box->buttons())
                if (b->text() == button)
                    press(b);
        });
    }

    bool done() const { return m_next == m_steps.size(); }

    static void press(QAbstractButton *button)
    {
        QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    }
    static void close(QWidget *window)
    {
        QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
    }

    QStringList titles;
    QStringList texts;
    QList<QMessageBox::Icon> icons;
    QStringList unexpected;

private:
    static bool is(const QWidget *window, const QString &name)
    {
        return window->objectName() == name || window->inherits(name.toLatin1().constData());
    }

    void poll()
    {
        if (m_last && !m_last->isVisible())
            m_last = nullptr; // a window shown again later is a new turn
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (modal == m_last) {
            // Acted on, yet still in front long after: a check failed; let the test go on.
            if (m_since.elapsed() > 5000) {
                unexpected << QStringLiteral("still open: ") + modal->objectName();
                dismiss(modal);
            }
            return;
        }
        for (const QString &name : m_background)
            if (is(modal, name))
                return;
        m_last = modal;
        m_since.start();
        if (m_next < m_steps.size() && is(modal, m_steps[m_next].window)) {
            m_steps[m_next++].act(modal);
            return;
        }
        unexpected << modal->objectName() + QLatin1Char(' ') + modal->windowTitle() +
                          (qobject_cast<QMessageBox *>(modal)
                               ? QLatin1Char(' ') + static_cast<QMessageBox *>(modal)->text()
                               : QString());
        dismiss(modal);
    }

    static void dismiss(QWidget *window)
    {
        if (auto *dialog = qobject_cast<QDialog *>(window))
            QMetaObject::invokeMethod(
                dialog, [dialog] { dialog->done(0); }, Qt::QueuedConnection);
        else
            close(window);
    }

    struct Step {
        QString window;
        Act act;
    };
    QList<Step> m_steps;
    qsizetype m_next = 0;
    QStringList m_background;
    QPointer<QWidget> m_last;
    QElapsedTimer m_since;
    QTimer m_timer;
};
