#include "stafflistarrival.h"

#include "data/backgroundopen.h"
#include "data/sharedqueries.h"
#include "toolkit/messages.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>

StaffListArrival::StaffListArrival(SharedQueries *data, QLabel *labelPersonel, QLabel *countPanel,
                                   QObject *parent)
    : QObject(parent), m_data(data), m_labelPersonel(labelPersonel), m_countPanel(countPanel)
{
    BackgroundOpen *opening = data->staffListOpening();
    connect(opening, &BackgroundOpen::handedOver, this, &StaffListArrival::arrived);
    connect(opening, &BackgroundOpen::failed, this, &StaffListArrival::readingFailed);
}

bool StaffListArrival::isPending() const
{
    return m_data->staffListOpening()->isPending();
}

void StaffListArrival::begin()
{
    if (!isPending())
        return;
    // No count rather than a wrong one: the all-staff count is not "0", nor any number yet.
    m_labelPersonel->clear();
    m_countPanel->setText(QStringLiteral(" Toplam Kayıtlı Personel: ..."));
}

void StaffListArrival::arrived()
{
    // As after the opening at start: the counts follow the first row, also of an empty list.
    m_data->staff()->first();
}

void StaffListArrival::readingFailed(const DbError &error)
{
    m_failed = true;
    messages::showError(error);
    Q_EMIT failed();
}

bool StaffListArrival::wait()
{
    BackgroundOpen *opening = m_data->staffListOpening();
    if (opening->isPending()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QEventLoop loop;
        connect(opening, &BackgroundOpen::handedOver, &loop, &QEventLoop::quit);
        connect(opening, &BackgroundOpen::failed, &loop, &QEventLoop::quit);
        // Painting and the arrival go on; a click or a key waits for the list like the command.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QApplication::restoreOverrideCursor();
    }
    return !opening->isPending() && !m_failed;
}
