#pragma once

#include "data/safefile.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <sys/types.h>

// File work of the maintenance commands: copies that reach the disk whole before they take
// the place of anything, and failures told in Turkish with the path and the reason.
namespace maintenance
{

// The system calls through which copies are created, written and put in place: those of
// SafeFile, which writes every copy.
using FileSystem = safefile::SystemCalls;

// Reads `length` bytes at `offset` into `buffer`; 0 or the errno of the failure.
using ReadAt = std::function<int(char *buffer, qint64 length, qint64 offset)>;
// Checks a finished copy, still under its temporary name, before it takes its place.
using Verify = safefile::Check;

// The reason of a failed system call, in Turkish.
QString reasonText(int error);
// "<what>: <path>" and the reason on a second line.
QString failureText(const QString &what, const QString &path, const QString &reason);

// A name beside `target` for a file in the making, hidden from the folder's usual listing.
QString temporaryNameFor(const QString &target);

// "<prefix><date>_<time>.dat" in the folder, the date and time of now; "_2", "_3" and so on
// before ".dat" when a file of that name is there already.
QString freeDatedName(const QString &folder, const QString &prefix);
// The date and time in a name that freeDatedName gave with `prefix`; invalid for any other name.
QDateTime timeInDatedName(const QString &name, const QString &prefix);

// Creates the folder with every missing parent.
bool makeFolder(const QString &path, QString *error);

// Writes `size` bytes of `source`, read by `read`, into `target` through a SafeFile: under a
// temporary name beside it, synced to the disk, checked by `verify` when given, then renamed
// over `target`. An older `target` is thus replaced only by a complete, checked copy, and a
// failure leaves `target` as it was and nothing else behind. `mode` gives a new file's
// permissions; an older `target` keeps its own.
bool writeFile(const QString &source, qint64 size, const ReadAt &read, const QString &target,
               int mode, const FileSystem &fs, const Verify &verify, QString *error);
// The same for a copy of a file on disk, with its permissions.
bool copyFile(const QString &source, const QString &target, const FileSystem &fs,
              const Verify &verify, QString *error);

// Puts `from` in the place of `to` in one step (the old `to` is replaced whole or not at
// all) and makes the change of the folder durable.
bool replaceFile(const QString &from, const QString &to, const FileSystem &fs, QString *error);

// How many open files refer to the file at `path`: in this process and in the others. Only
// the processes whose open files this user may list are seen (those of other users on this
// computer, and those on other computers, are not).
struct OpenFiles {
    int own = 0;
    int others = 0;
};
OpenFiles openFilesOf(const QString &path);
// Why a file that another copy of the program holds open is left alone, in Turkish.
QString openElsewhereReason();

} // namespace maintenance
