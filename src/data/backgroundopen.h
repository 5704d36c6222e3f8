#pragma once

#include "dataset.h"
#include "dberror.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class Database;

// Opens one dataset without keeping its thread waiting: a second connection to the same
// file (same key and page size, the Turkish functions registered, reading only) reads the
// dataset's statement in a worker thread, and the dataset takes the rows on its own thread
// once they are there, as if it had read them itself. Until then the dataset stays closed.
class BackgroundOpen : public QObject
{
    Q_OBJECT
public:
    // `connection` is the dataset's own: the file to read, and where changes are counted.
    BackgroundOpen(Dataset *dataset, Database *connection, const QByteArray &key,
                   QObject *parent = nullptr);
    // Stops a reading under way and waits for the worker; nothing is handed over.
    ~BackgroundOpen() override;

    // Starts reading the dataset's statement as it is now.
    void start();
    // From start() until the rows are handed over, the reading failed or was cancelled.
    bool isPending() const { return m_pending; }
    // Stops a reading under way and waits for the worker: the dataset stays closed.
    void cancel();

    // Run on the worker's thread before each reading, once its connection is made: it may
    // wait for what the reading must come after, and should end soon once `cancelled` is set.
    void setGate(std::function<void(const std::atomic<bool> &cancelled)> gate) { m_gate = std::move(gate); }

    // For tests: while held, rows that have arrived wait; releasing hands them over.
    void holdHandOver(bool held);
    bool hasArrived() const { return m_arrived; }

Q_SIGNALS:
    // The dataset has taken the rows and is open.
    void handedOver();
    // The reading failed (the message is the engine's); the dataset stays closed.
    void failed(const DbError &error);

private:
    void work(RegisterAddress address, Dataset::Reading what, int generation);
    void arrive(int generation);
    void handOver();
    void join();

    Dataset *m_dataset;
    Database *m_connection;
    QByteArray m_key;
    std::thread m_worker;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;                  // guards the worker's connection and its outcome
    Engine *m_reading = nullptr; // the worker's connection while it reads
    std::shared_ptr<Dataset::Fetched> m_rows;
    std::function<void(const std::atomic<bool> &)> m_gate;
    std::optional<DbError> m_error;

    int m_generation = 0; // of the reading under way, so that a late arrival is known
    bool m_pending = false;
    bool m_arrived = false;
    bool m_held = false;
    // Where the file stood when the reading began: the dataset keeps the rows on a reopening
    // while nothing has changed since.
    ReadMark m_readAt;
};
