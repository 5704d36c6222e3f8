// The cursor: the current row of the view and the moves between rows.

#include "dataset.h"

#include "datasetinternal.h"

#include <algorithm>

// ---------------------------------------------------------------- moves

void Dataset::setCursor(int row, bool alwaysNotify)
{
    if (row == m_cursor && !alwaysNotify)
        return;
    m_cursor = row;
    Q_EMIT currentMoved(row);
    Q_EMIT afterScroll(this);
    notifyDetails();
}

void Dataset::leaveEditForMove()
{
    if (!isEditing())
        return;
    if (m_modified)
        post();
    else
        cancel();
}

void Dataset::first()
{
    ensureActive("First");
    leaveEditForMove();
    m_bof = true;
    m_eof = m_view.empty();
    setCursor(0, true);
}

void Dataset::last()
{
    ensureActive("Last");
    leaveEditForMove();
    m_eof = true;
    m_bof = m_view.empty();
    setCursor(m_view.empty() ? 0 : int(m_view.size()) - 1, true);
}

void Dataset::next()
{
    moveBy(1);
}

void Dataset::prior()
{
    moveBy(-1);
}

int Dataset::moveBy(int distance)
{
    ensureActive("MoveBy");
    leaveEditForMove();
    if (m_view.empty()) {
        m_eof = m_bof = true;
        return 0;
    }
    const int count = int(m_view.size());
    const long target = long(m_cursor) + distance;
    const int clamped = int(std::clamp<long>(target, 0, count - 1));
    const int moved = clamped - m_cursor;
    m_eof = distance > 0 && target > count - 1;
    m_bof = distance < 0 && target < 0;
    if (distance != 0 && !m_eof && !m_bof) {
        m_eof = false;
        m_bof = false;
    }
    if (moved != 0)
        setCursor(clamped, false);
    return moved;
}

void Dataset::setRecNo(int recNo)
{
    ensureActive("RecNo");
    if (recNo < 1 || recNo > recordCount() || recNo == this->recNo())
        return;
    moveBy(recNo - this->recNo());
}

const Dataset::Row *Dataset::currentRow() const
{
    if (m_view.empty())
        return nullptr;
    return m_rows[size_t(rowIndexOf(m_cursor))].get();
}
