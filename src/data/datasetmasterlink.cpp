// The master link: a detail dataset follows its master's current row, through a parameter
// of its statement or, without one, as a filter on its rows.

#include "dataset.h"

#include "datasetinternal.h"

#include <QRegularExpression>

using datasetinternal::sameValue;

// ---------------------------------------------------------------- master link

void Dataset::setMaster(Dataset *master, const QString &linkField)
{
    if (m_master)
        std::erase(m_master->m_details, this);
    m_master = master;
    m_linkField = linkField;
    m_linkApplied = false;
    if (master)
        master->m_details.push_back(this);
}

void Dataset::notifyDetails()
{
    // Plain calls, not signals, so that an error while a detail follows reaches the caller.
    for (Dataset *detail : m_details)
        detail->followMaster();
}

void Dataset::followMaster()
{
    if (!isOpen() || !m_master)
        return;
    const QVariant key = masterKey();
    if (linkUsesParameter()) {
        if (m_linkApplied && sameValue(key, m_appliedKey))
            return;
        leaveEditForMove();
        requery();
        return;
    }
    const bool active = m_master->isOpen();
    if (m_linkApplied && active == m_filterActive && sameValue(key, m_filterKey))
        return;
    leaveEditForMove();
    m_filterActive = active;
    m_filterKey = key;
    m_appliedKey = key;
    m_linkApplied = true;
    rebuildView();
    m_bof = true;
    m_eof = m_view.empty();
    Q_EMIT rowsReset();
    setCursor(0, true);
}

bool Dataset::linkUsesParameter() const
{
    if (!m_master)
        return false;
    static const QRegularExpression word(QStringLiteral("\\w"));
    QString s = sql();
    QString token = QLatin1Char(':') + m_linkField;
    for (int at = s.indexOf(token, 0, Qt::CaseInsensitive); at >= 0;
         at = s.indexOf(token, at + 1, Qt::CaseInsensitive)) {
        int after = at + int(token.size());
        if (after >= s.size() || !word.match(s.mid(after, 1)).hasMatch())
            return true;
    }
    return false;
}

QVariant Dataset::masterKey() const
{
    if (!m_master || !m_master->isOpen() || m_master->isEmpty() || !m_master->hasField(m_linkField))
        return {};
    return m_master->value(m_linkField);
}

bool Dataset::passesFilter(int index) const
{
    const Row *row = m_rows[size_t(index)].get();
    return row && (index == m_pendingRow || passesFilter(*row));
}

bool Dataset::passesFilter(const Row &row) const
{
    if (!m_filterActive)
        return true;
    const int link = fieldIndex(m_linkField);
    if (link < 0 || m_filterKey.isNull() || row.isNull(link))
        return false;
    return row.text(link, int(m_fieldNames.size())) == m_filterKey.toString().toUtf8();
}

void Dataset::rebuildView()
{
    m_view.clear();
    m_view.reserve(m_order.size());
    if (!m_filterActive) {
        for (int index : m_order)
            if (m_rows[size_t(index)])
                m_view.push_back(index);
        return;
    }
    const int link = fieldIndex(m_linkField);
    const QByteArray key = m_filterKey.isNull() ? QByteArray() : m_filterKey.toString().toUtf8();
    for (int index : m_order) {
        const Row *row = m_rows[size_t(index)].get();
        if (!row)
            continue;
        if (index != m_pendingRow &&
            (link < 0 || m_filterKey.isNull() || row->isNull(link) || row->text(link, int(m_fieldNames.size())) != key))
            continue;
        m_view.push_back(index);
    }
}
