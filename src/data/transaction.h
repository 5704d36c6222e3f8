#pragma once

#include "database.h"

// A transaction that rolls back unless committed: an error anywhere between the two, thrown
// or returned early, leaves the tables as they were.
class Transaction
{
public:
    enum class Lock {
        Deferred,  // takes the write lock at the first write
        Immediate, // takes it now: a writer that must not be refused half-way
        Exclusive, // no other connection may even read until the end
    };

    // Begins it; throws DbError as Database::exec does.
    explicit Transaction(Database &db, Lock lock = Lock::Immediate);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Throws DbError when the commit fails; the transaction is then rolled back.
    void commit();
    void rollback();
    bool isOpen() const { return m_open; }

private:
    Database &m_db;
    bool m_open = true;
};
