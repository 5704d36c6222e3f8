#include "dberror.h"

DbError::Description DbError::describe() const
{
    switch (m_kind) {
    case Kind::Refused:
        return {m_message, QString()};
    case Kind::Engine:
        return {QStringLiteral("Veritabanı işlemi yapılamadı"), m_message};
    case Kind::Busy:
        return {QStringLiteral("Veritabanı şu anda başka bir kullanıcı tarafından güncelleniyor; "
                               "lütfen tekrar deneyin."),
                m_message};
    case Kind::ReadOnly:
        return {QStringLiteral("Veritabanı salt okunur: kayıt yapılamaz."), m_message};
    case Kind::DiskFull:
        return {QStringLiteral("Disk dolu: kayıt yapılamadı. Diskte yer açıp tekrar deneyin."),
                m_message};
    case Kind::NotADatabase:
        return {QStringLiteral("Data.dat boş veya bir Meltora veritabanı değil."), m_message};
    case Kind::CannotOpen:
        return {
            QStringLiteral("Data.dat açılamadı: dosya program klasöründe yok ya da okunamıyor."),
            m_message};
    case Kind::Corrupt:
        return {
            QStringLiteral("Veritabanı dosyası bozuk: \"Veritabanını Onar\" ile onarmayı deneyin."),
            m_message};
    case Kind::TooLong:
        return {QStringLiteral("'%1' alanına girilen değer çok uzun: en fazla %2 karakter olabilir")
                    .arg(m_column)
                    .arg(m_size),
                m_message};
    case Kind::IncompletePhone:
        return {
            QStringLiteral("'%1' alanındaki telefon numarası eksik: on rakamın tümünü girin ya da "
                           "alanı boş bırakın.")
                .arg(m_column),
            QString()};
    case Kind::IncompleteDate:
        return {
            QStringLiteral("'%1' alanındaki tarih eksik: gün, ay ve yıl için sekiz rakamın tümünü "
                           "girin ya da alanı boş bırakın.")
                .arg(m_column),
            QString()};
    case Kind::RowChanged:
        return {QStringLiteral(
                    "Bu kayıt, siz düzenlerken başka bir kullanıcı tarafından değiştirildi; "
                    "değişiklikleriniz kaydedilmedi. Kaydın yeni hali gösteriliyor, sizin "
                    "yazdıklarınız duruyor: kaydetmek için tekrar kaydedin ya da iptal edin."),
                QString()};
    case Kind::RowDeleted:
        return {QStringLiteral("Bu kayıt, siz düzenlerken başka bir kullanıcı tarafından silindi; "
                               "değişiklikleriniz kaydedilemedi."),
                QString()};
    case Kind::Declined:
        return {QString(), QString()};
    case Kind::ServerUnreachable:
        return {QStringLiteral("Veritabanı sunucusuna bağlanılamadı: sunucunun adresini, ağ "
                               "bağlantısını ve sunucunun çalıştığını denetleyin."),
                m_message};
    case Kind::LoginRefused:
        return {QStringLiteral("Veritabanı sunucusu girişi kabul etmedi: kullanıcı adını ve "
                               "parolayı denetleyin."),
                m_message};
    case Kind::PasswordNeeded:
        return {QStringLiteral("Veritabanı sunucusu parola istiyor."), m_message};
    case Kind::NoServerTables:
        return {QStringLiteral("Sunucudaki veritabanında Meltora tabloları yok: önce "
                               "\"meltora-db create --server\" ile oluşturun."),
                m_message};
    case Kind::ServerNotTrusted:
        return {QStringLiteral("Sunucuyla güvenli (şifreli) bağlantı kurulamadı: sunucunun sertifikası "
                               "doğrulanamadı ya da sunucu şifreli bağlantı kabul etmiyor. Bağlantı "
                               "tanımındaki sslmode ve sslrootcert ayarlarını denetleyin."),
                m_message};
    case Kind::ServerLost:
        return {QStringLiteral("Veritabanı sunucusuyla bağlantı koptu; işlem yapılamadı. "
                               "Yazdıklarınız duruyor: bağlantı yeniden kurulunca (durum "
                               "çubuğunda görünür) tekrar deneyin."),
                m_message};
    case Kind::StillInUse:
        return {QStringLiteral("Silmek istediğiniz birime ait personel kayıtları var. "
                               "Önce personel kayıtlarını silmelisiniz!"),
                QString()};
    case Kind::NoMasterRow:
        return {QStringLiteral("Yeni personel yalnızca kayıtlı bir birime eklenebilir: önce birimi "
                               "kaydedin ya da listeden bir birim seçin."),
                QString()};
    }
    return {m_message, QString()};
}

QString DbError::describedText() const
{
    const Description d = describe();
    // Only an error of a kind not told apart needs the engine's words to say anything; and a
    // server that cannot be reached, whose words name the host and what failed there.
    const bool wordsHelp = m_kind == Kind::Engine || m_kind == Kind::ServerUnreachable ||
                           m_kind == Kind::ServerNotTrusted || m_kind == Kind::LoginRefused;
    if (!wordsHelp || d.detail.isEmpty())
        return d.text;
    const QString sentence = d.text.endsWith(QLatin1Char('.')) ? d.text : d.text + QLatin1Char('.');
    return QStringLiteral("%1 Ayrıntı: %2").arg(sentence, d.detail);
}
