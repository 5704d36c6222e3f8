#pragma once

#include <QObject>
#include <functional>

class Dataset;
class QToolBar;
class QToolButton;

// The shared record commands of the entry forms: first, prior, next, last, save and
// cancel on one dataset, or on the dataset of the focused data control. First and prior
// are available away from the first row, next and last away from the last, save and
// cancel while the dataset is being edited.
class RecordActions : public QObject
{
    Q_OBJECT
public:
    RecordActions(std::function<Dataset *()> target, QObject *parent);

    // Adds Save and Cancel, a separator, then the four moves.
    void addTo(QToolBar *bar);
    QToolButton *first() const { return m_first; }
    QToolButton *prior() const { return m_prior; }
    QToolButton *next() const { return m_next; }
    QToolButton *last() const { return m_last; }
    QToolButton *save() const { return m_save; }
    QToolButton *cancel() const { return m_cancel; }

    void update();

private:
    QToolButton *button(QToolBar *bar, const QString &objectName, const QString &hint, int icon,
                        std::function<void(Dataset *)> command);

    std::function<Dataset *()> m_target;
    QToolButton *m_first = nullptr;
    QToolButton *m_prior = nullptr;
    QToolButton *m_next = nullptr;
    QToolButton *m_last = nullptr;
    QToolButton *m_save = nullptr;
    QToolButton *m_cancel = nullptr;
};
