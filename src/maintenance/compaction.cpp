#include "compaction.h"

#include "data/dberror.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <future>

namespace maintenance
{

namespace
{

const QString kStopped = QStringLiteral("işlem durduruldu");

void removeWithJournal(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-journal")})
        if (QFileInfo::exists(path + suffix))
            QFile::remove(path + suffix);
}

} // namespace

Compaction::Compaction(const QString &databasePath, FileSystem fs)
    : m_path(databasePath), m_fs(std::move(fs))
{
}

bool Compaction::isWorkFileName(const QString &fileName)
{
    // "Yedek.dat" is the name that runs used before each took one of its own.
    static const QRegularExpression pattern(QStringLiteral(
        "^(Yedek(_[0-9a-f]{8})?\\.dat(-journal|-wal|-shm)?"
        "|\\.Yedek(_[0-9a-f]{8})?\\.dat\\.[0-9a-f]{8}\\.tmp)$"));
    return pattern.match(fileName).hasMatch();
}

void Compaction::removeLeftovers() const
{
    const QDir folder = QFileInfo(m_path).dir();
    const QStringList names =
        folder.entryList({QStringLiteral("Yedek*"), QStringLiteral(".Yedek*.tmp")},
                         QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        // A file some process still has open is not a leftover.
        if (isWorkFileName(name) && openFilesOf(path).others == 0)
            QFile::remove(path);
    }
}

QString Compaction::newWorkPath() const
{
    const QDir folder = QFileInfo(m_path).dir();
    for (;;) {
        const QString path = folder.filePath(
            QStringLiteral("Yedek_%1.dat")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
        if (!QFileInfo::exists(path) && !QFileInfo::exists(path + QStringLiteral("-journal")))
            return path;
    }
}

Compaction::~Compaction()
{
    abandon();
}

Compaction::Outcome Compaction::fail(const QString &error)
{
    m_error = error;
    abandon();
    return Outcome::Failed;
}

bool Compaction::stopped(Progress *progress)
{
    return progress && !progress->proceed();
}

Compaction::Outcome Compaction::prepare(Progress *progress)
{
    abandon();
    m_error.clear();
    m_findings.clear();
    const QFileInfo info(m_path);
    m_sizeBefore = info.exists() ? info.size() : -1;
    if (!info.isFile())
        return fail(failureText(QStringLiteral("Veritabanı dosyası bulunamadı"), m_path,
                                reasonText(ENOENT)));
    // A copy that merely has the file open holds no lock on it, yet once the compacted file
    // took the place of the old one it would go on showing the old file and refuse every save.
    if (const OpenFiles open = openFilesOf(m_path); open.own + open.others > 0)
        return fail(failureText(QStringLiteral("Veritabanı kullanımda"), m_path, openElsewhereReason()));
    QString reason;
    if (!m_source.open(m_path, schema::kKey, &reason))
        return fail(failureText(QStringLiteral("Veritabanı dosyası açılamadı"), m_path, reason));
    try {
        // Nobody else may read or write it until it has been replaced.
        m_source.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    } catch (const DbError &e) {
        return fail(failureText(QStringLiteral("Veritabanı kullanımda"), m_path, e.describedText()));
    }

    if (progress)
        progress->begin(QStringLiteral("Veritabanı denetleniyor"), 0);
    const Health health = checkDatabase(m_source, Depth::Full);
    if (health.state == Health::Damaged) {
        m_findings = health.findings;
        m_error = health.errorText(m_path);
        abandon();
        return Outcome::Damaged;
    }
    if (!health.sound())
        return fail(health.errorText(m_path));
    // Under the hold: what the copy will be compared with is what the copy is taken of.
    removeLeftovers();
    m_workPath = newWorkPath();
    if (stopped(progress))
        return fail(failureText(QStringLiteral("Sıkıştırma yapılmadı"), m_path, kStopped));

    if (progress)
        progress->begin(QStringLiteral("Kopya alınıyor"), 0);
    if (!copyDatabase(m_source, m_workPath, m_fs, {}, &m_error))
        return fail(m_error);
    if (stopped(progress))
        return fail(failureText(QStringLiteral("Sıkıştırma yapılmadı"), m_path, kStopped));

    if (progress)
        progress->begin(QStringLiteral("Kopya sıkıştırılıyor"), 0);
    // The register's digest is read on a thread of its own while the copy is compacted and
    // checked: two connections on two files, and the hold keeps the register as it was copied.
    auto registerDigest = std::async(std::launch::async, [this] { return contentDigest(m_source); });
    const bool copySound = checkCopy();
    QByteArray digest;
    try {
        digest = registerDigest.get();
    } catch (const DbError &e) {
        return fail(failureText(QStringLiteral("Veritabanı okunamadı"), m_path, e.describedText()));
    }
    if (!copySound || !sameContent(digest))
        return fail(m_error);
    if (stopped(progress))
        return fail(failureText(QStringLiteral("Sıkıştırma yapılmadı"), m_path, kStopped));
    m_sizeAfter = QFileInfo(m_workPath).size();
    m_prepared = true;
    return Outcome::Ready;
}

bool Compaction::checkCopy()
{
    Database copy;
    QString reason;
    if (!copy.open(m_workPath, schema::kKey, &reason)) {
        m_error = failureText(QStringLiteral("Sıkıştırılan kopya açılamadı"), m_workPath, reason);
        return false;
    }
    try {
        copy.exec(QStringLiteral("VACUUM"));
    } catch (const DbError &e) {
        m_error =
            failureText(QStringLiteral("Veritabanı sıkıştırılamadı"), m_workPath, e.describedText());
        return false;
    }
    const Health health = checkDatabase(copy, Depth::Full);
    if (!health.sound()) {
        m_error = failureText(QStringLiteral("Sıkıştırılan kopya denetimden geçmedi"), m_workPath,
                              health.reason);
        return false;
    }
    try {
        m_copyDigest = contentDigest(copy);
    } catch (const DbError &e) {
        m_error =
            failureText(QStringLiteral("Sıkıştırılan kopya okunamadı"), m_workPath, e.describedText());
        return false;
    }
    return true;
}

bool Compaction::sameContent(const QByteArray &registerDigest)
{
    if (m_copyDigest != registerDigest) {
        m_error = failureText(QStringLiteral("Sıkıştırılan kopya veritabanıyla aynı değil"),
                              m_workPath,
                              QStringLiteral("kopyadaki kayıtlar veritabanındakilerden farklı; "
                                             "veritabanına dokunulmadı"));
        return false;
    }
    return true;
}

bool Compaction::replace(Progress *progress)
{
    if (!m_prepared) {
        m_error = failureText(QStringLiteral("Veritabanı değiştirilmedi"), m_path,
                              QStringLiteral("sıkıştırılmış kopya hazır değil"));
        return false;
    }
    if (stopped(progress)) {
        fail(failureText(QStringLiteral("Veritabanı değiştirilmedi"), m_path, kStopped));
        return false;
    }
    if (openFilesOf(m_path).others > 0) {
        fail(failureText(QStringLiteral("Veritabanı kullanımda"), m_path, openElsewhereReason()));
        return false;
    }
    if (!replaceFile(m_workPath, m_path, m_fs, &m_error)) {
        abandon();
        return false;
    }
    m_prepared = false;
    m_source.close();
    m_sizeAfter = QFileInfo(m_path).size();
    return true;
}

void Compaction::abandon()
{
    m_source.close(); // ends the hold; nothing was written through it
    // A work file is never good on its own: it is either in its place by now or unfinished.
    if (!m_workPath.isEmpty())
        removeWithJournal(m_workPath);
    m_prepared = false;
}

} // namespace maintenance
