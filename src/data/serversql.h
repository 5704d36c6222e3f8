#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The program writes its statements once, in the file engine's words. The server speaks a
// slightly different SQL; this turns one into the other, so that windows and queries need not
// know which register they work on:
//   ? and :name        -> $1, $2, ... (a name used twice is one parameter)
//   a LIKE p           -> a ILIKE p ESCAPE ''  (case-insensitive as the file's Turkish LIKE,
//                         and like it without an escape character; the text columns are in
//                         the Turkish collation, so I/ı and İ/i fold as on the file)
//   a IS p             -> a IS NOT DISTINCT FROM p  (for a parameter p)
//   IFNULL(            -> COALESCE(
//   BEGIN IMMEDIATE    -> BEGIN  (and EXCLUSIVE, DEFERRED: the server locks rows as written)
//   COLLATE BINARY     -> (nothing: the server's Turkish collation is deterministic, so equal
//                         texts are equal byte for byte)
//   COLLATE TR         -> (nothing: the text columns are in the Turkish collation)
// Text in quotes is left as it is.
namespace serversql
{

struct Translated {
    QByteArray text;
    // The name of each parameter by its number less one; empty for a positional one.
    QStringList parameterNames;
    // Every identifier of the statement as written, for giving the server's lower-case result
    // column names back their spelling.
    QStringList identifiers;
};

Translated translate(const QString &sql);

// The spelling `name` (as the server reports it, in lower case) has in the statement or in
// the tables; `name` itself when neither knows it.
QString spellingOf(const QString &name, const QStringList &identifiers);

} // namespace serversql
