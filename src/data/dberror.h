#pragma once

#include <QString>
#include <stdexcept>

// An error reported by the database engine or refused by a dataset. Commands let it
// travel up to the application's error handler, which shows it and lets the program go on.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};
