#include "commandline.h"

#include "data/datafolder.h"
#include "data/programdir.h"
#include "data/registerchoice.h"
#include "data/settings.h"
#include "toolkit/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace commandline
{

namespace
{

constexpr int kUsageError = 2;

const QString kDataOption = QStringLiteral("--data");
const QString kServerOption = QStringLiteral("--server");

void print(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString usageHint()
{
    return QStringLiteral("Kullanım için: meltora --help\n");
}

QStringList argumentsOf(int argc, char **argv)
{
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

} // namespace

Options parse(const QStringList &arguments)
{
    Options options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
            options.version = true;
        } else if (argument == kDataOption) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                options.error = QStringLiteral("--data seçeneğinden sonra bir klasör adı gerekir.");
                continue;
            }
            options.dataFolder = arguments[++i];
        } else if (argument == kServerOption) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                options.error = QStringLiteral("--server seçeneğinden sonra bir bağlantı tanımı gerekir "
                                               "(örneğin \"service=meltora\").");
                continue;
            }
            options.server = arguments[++i];
        } else if (argument.startsWith(kServerOption + QLatin1Char('='))) {
            options.server = argument.mid(kServerOption.size() + 1);
            if (options.server.isEmpty())
                options.error = QStringLiteral("--server seçeneğinden sonra bir bağlantı tanımı gerekir "
                                               "(örneğin \"service=meltora\").");
        } else if (argument.startsWith(kDataOption + QLatin1Char('='))) {
            options.dataFolder = argument.mid(kDataOption.size() + 1);
            if (options.dataFolder.isEmpty())
                options.error = QStringLiteral("--data seçeneğinden sonra bir klasör adı gerekir.");
        } else {
            options.unknown << argument;
        }
    }
    return options;
}

QString helpText()
{
    return QStringLiteral(
        "Kullanım: meltora [SEÇENEK]...\n"
        "Birimlerin ve personelinin kaydını tutan Meltora programını başlatır.\n"
        "\n"
        "Seçenekler:\n"
        "  --data KLASÖR   kaydı (Data.dat) bu klasörde açar; klasörde kayıt yoksa\n"
        "                  boş bir kayıt oluşturur (örneğin ortak bir klasör)\n"
        "  --server BAĞLANTI\n"
        "                  kaydı bir PostgreSQL sunucusunda açar; BAĞLANTI libpq'nun\n"
        "                  bağlantı tanımıdır: \"service=meltora\" ya da\n"
        "                  \"postgresql://sunucu/meltora?sslmode=verify-full\". Parola\n"
        "                  ~/.pgpass ya da hizmet dosyasından alınır, yoksa açılışta sorulur\n"
        "  -h, --help      bu yardımı gösterir ve çıkar\n"
        "  -v, --version   sürüm bilgisini gösterir ve çıkar\n"
        "\n"
        "Kaydın yeri:\n"
        "  Programın klasöründe Data.dat varsa kayıt oradadır (taşınabilir kullanım).\n"
        "  Kurulu programda kayıt kullanıcının veri klasöründedir:\n"
        "  $XDG_DATA_HOME/Meltora (çoğunlukla ~/.local/share/Meltora); ayar dosyası\n"
        "  PersonelKayit.ini ve güvenlik kopyaları (Yedekler) da onun yanındadır.\n"
        "  İlk açılışta boş bir kayıt oluşturulur.\n");
}

QString versionText()
{
    return QStringLiteral("Meltora %1\n").arg(QStringLiteral(MELTORA_VERSION));
}

int answerWithoutWindow(int argc, char **argv)
{
    const Options options = parse(argumentsOf(argc, argv));
    if (options.help) {
        print(stdout, helpText());
        return 0;
    }
    if (options.version) {
        print(stdout, versionText());
        return 0;
    }
    if (!options.error.isEmpty()) {
        print(stderr, options.error + QLatin1Char('\n') + usageHint());
        return kUsageError;
    }
    return -1;
}

int useDataFolder(const QStringList &arguments)
{
    const Options options = parse(arguments);
    if (!options.unknown.isEmpty()) {
        print(stderr, QStringLiteral("Bilinmeyen seçenek: %1\n").arg(options.unknown.first()) +
                          usageHint());
        return kUsageError;
    }
    const datafolder::Choice choice =
        datafolder::choose(QCoreApplication::applicationDirPath(), options.dataFolder);
    QString error;
    if (!datafolder::prepare(choice, &error)) {
        messages::showError(error);
        return 1;
    }
    ProgramDir::setPath(choice.folder);
    Settings kept;
    SettingsFile::load(SettingsFile::defaultPath(), kept);
    const QString server = options.server.isEmpty() ? kept.server : options.server;
    if (server.isEmpty())
        registerchoice::useFile();
    else
        registerchoice::useServer(server);
    return -1;
}

} // namespace commandline
