#include "backgroundopen.h"

#include "database.h"

#include <QScopeGuard>

BackgroundOpen::BackgroundOpen(Dataset *dataset, Database *connection, const QByteArray &key,
                               QObject *parent)
    : QObject(parent), m_dataset(dataset), m_connection(connection), m_key(key)
{
}

BackgroundOpen::~BackgroundOpen()
{
    cancel();
}

void BackgroundOpen::start()
{
    cancel();
    const Dataset::Reading what = m_dataset->reading();
    m_readAt = m_connection->markFor(what.sql);
    m_cancelled = false;
    m_rows.reset();
    m_error.reset();
    m_arrived = false;
    m_pending = true;
    RegisterAddress address = m_connection->address();
    if (!address.isServer())
        address.key = m_key;
    m_worker = std::thread(&BackgroundOpen::work, this, address, what, ++m_generation);
}

void BackgroundOpen::work(RegisterAddress address, Dataset::Reading what, int generation)
{
    std::shared_ptr<Dataset::Fetched> rows;
    std::optional<DbError> error;
    try {
        Database reader;
        reader.openForReading(address);
        {
            const std::lock_guard lock(m_mutex);
            m_reading = reader.engine();
        }
        // Let go before the connection closes, so that cancel() never interrupts a closed one.
        const auto unpublish = qScopeGuard([this] {
            const std::lock_guard lock(m_mutex);
            m_reading = nullptr;
        });
        if (m_gate && !m_cancelled)
            m_gate(m_cancelled);
        if (!m_cancelled)
            rows = Dataset::read(reader, what, &m_cancelled);
    } catch (const DbError &e) {
        error = e;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_rows = std::move(rows);
        m_error = std::move(error);
    }
    if (!m_cancelled)
        QMetaObject::invokeMethod(this, [this, generation] { arrive(generation); }, Qt::QueuedConnection);
}

void BackgroundOpen::join()
{
    if (m_worker.joinable())
        m_worker.join();
}

void BackgroundOpen::cancel()
{
    if (!m_worker.joinable())
        return;
    m_cancelled = true;
    {
        const std::lock_guard lock(m_mutex);
        if (m_reading)
            m_reading->interrupt();
    }
    join();
    m_pending = false;
    m_arrived = false;
    m_rows.reset();
    m_error.reset();
}

void BackgroundOpen::arrive(int generation)
{
    if (!m_pending || m_arrived || generation != m_generation)
        return;
    m_arrived = true;
    if (!m_held)
        handOver();
}

void BackgroundOpen::holdHandOver(bool held)
{
    m_held = held;
    if (!held && m_pending && m_arrived)
        handOver();
}

void BackgroundOpen::handOver()
{
    join();
    std::shared_ptr<Dataset::Fetched> rows;
    std::optional<DbError> error;
    {
        const std::lock_guard lock(m_mutex);
        rows = std::move(m_rows);
        error = std::move(m_error);
    }
    m_pending = false;
    if (error || !rows) {
        Q_EMIT failed(error ? *error : DbError(DbError::Kind::Engine, QStringLiteral("interrupted")));
        return;
    }
    if (m_dataset->isOpen())
        return; // opened meanwhile by other means: those rows stand
    m_dataset->open(rows, m_readAt);
    Q_EMIT handedOver();
}
