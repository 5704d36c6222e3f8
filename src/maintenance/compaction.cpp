#include "compaction.h"

#include "data/dberror.h"
#include "data/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace maintenance
{

namespace
{

const QString kStopped = QStringLiteral("işlem durduruldu");
const QString kOpenElsewhere = QStringLiteral(
    "veritabanı başka bir programda ya da programın başka bir kopyasında açık; onu kapatıp "
    "yeniden deneyin");

QString countsText(const QList<QPair<QString, qint64>> &counts)
{
    QStringList parts;
    for (const auto &[table, rows] : counts)
        parts << QStringLiteral("%1 %2").arg(table).arg(rows);
    return parts.join(QStringLiteral(", "));
}

} // namespace

Compaction::Compaction(const QString &databasePath, FileSystem fs)
    : m_path(databasePath), m_workPath(QFileInfo(databasePath).dir().filePath(workFileName())),
      m_fs(std::move(fs))
{
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
        return fail(failureText(QStringLiteral("Veritabanı kullanımda"), m_path, kOpenElsewhere));
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
    QList<QPair<QString, qint64>> counts;
    try {
        counts = rowCounts(m_source);
    } catch (const DbError &e) {
        return fail(failureText(QStringLiteral("Veritabanı okunamadı"), m_path, e.describedText()));
    }
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
    if (!checkCopy(counts))
        return fail(m_error);
    if (stopped(progress))
        return fail(failureText(QStringLiteral("Sıkıştırma yapılmadı"), m_path, kStopped));
    m_sizeAfter = QFileInfo(m_workPath).size();
    m_prepared = true;
    return Outcome::Ready;
}

bool Compaction::checkCopy(const QList<QPair<QString, qint64>> &counts)
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
    QList<QPair<QString, qint64>> after;
    try {
        after = rowCounts(copy);
    } catch (const DbError &e) {
        m_error =
            failureText(QStringLiteral("Sıkıştırılan kopya okunamadı"), m_workPath, e.describedText());
        return false;
    }
    if (after != counts) {
        m_error = failureText(
            QStringLiteral("Sıkıştırılan kopyanın kayıt sayıları tutmuyor"), m_workPath,
            QStringLiteral("önce %1; sonra %2").arg(countsText(counts), countsText(after)));
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
        fail(failureText(QStringLiteral("Veritabanı kullanımda"), m_path, kOpenElsewhere));
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
    if (QFileInfo::exists(m_workPath))
        QFile::remove(m_workPath);
    m_prepared = false;
}

} // namespace maintenance
