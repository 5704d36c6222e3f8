#pragma once

#include <QString>
#include <stdexcept>

// An error reported by the database engine or refused by a dataset. Commands let it
// travel up to the application's error handler, which shows it and lets the program go on.
//
// The data layer only says what kind of error it is and passes on the engine's own text;
// the toolkit's messages turn the kind into what the user reads.
class DbError : public std::runtime_error
{
public:
    enum class Kind {
        Refused,         // a rule of the program refused the operation; message() says why
        Engine,          // any other error of the engine; message() is its text
        Busy,            // another program holds the file's lock longer than the program waits
        ReadOnly,        // the file or its folder cannot be written
        DiskFull,        // no room on the disk
        NotADatabase,    // Data.dat is empty, damaged at its start, foreign, or has another key
        CannotOpen,      // Data.dat is missing or cannot be opened
        Corrupt,         // pages of the file are damaged
        TooLong,         // column() holds at most size() characters
        IncompletePhone, // column() holds a phone number with some of its ten digits
        IncompleteDate,  // column() holds a date with some of its eight digits
        RowChanged,      // another user changed the row while it was being edited here
        RowDeleted,      // another user deleted the row while it was being edited here
        NoMasterRow,     // a staff row needs a stored unit to belong to
        Declined,        // the user chose not to go on when asked; there is nothing to tell
        ServerUnreachable, // the server cannot be reached (address, network, not running)
        LoginRefused,      // the server refused the user or the password
        PasswordNeeded,    // the server asks for a password that libpq's own sources lack
        NoServerTables,    // the server's database holds no tables of the program
        ServerLost,        // the connection to the server broke off while the program worked
        ServerNotTrusted,  // the encrypted connection failed: the server's certificate or the settings
        StillInUse,        // a unit that staff rows still name cannot be deleted
    };

    // A refusal by the program's own rules, with the text the user reads.
    explicit DbError(const QString &message) : DbError(Kind::Refused, message) {}
    // `message` is the engine's text where there is one.
    DbError(Kind kind, const QString &message, const QString &column = QString(), int size = 0)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message),
          m_column(column), m_size(size)
    {
    }

    Kind kind() const { return m_kind; }
    QString message() const { return m_message; }
    QString column() const { return m_column; }
    int size() const { return m_size; }

    // The error as the user reads it: what happened and what to do, in Turkish, with the
    // engine's own words as the detail (empty for the program's own refusals).
    struct Description {
        QString text;
        QString detail;
    };
    Description describe() const;
    // The description as one text, for a message that tells the error among other things:
    // the engine's words follow only where the description names no cause.
    QString describedText() const;

private:
    Kind m_kind;
    QString m_message;
    QString m_column;
    int m_size;
};
