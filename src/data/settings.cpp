#include "settings.h"

#include "inifile.h"
#include "programdir.h"

namespace {

const QString kDisplay = QStringLiteral("Gosterim");
const QString kProgram = QStringLiteral("Program Adi");
const QString kFields = QStringLiteral("Alanlar");
const QString kColumns = QStringLiteral("Sütun Ayar");
const QString kServer = QStringLiteral("Sunucu");
const QString kServerConnection = QStringLiteral("Bağlantı");

// The first two keys are swapped against the slots: "Renk01" has always held the colour of
// slot 1 and "Renk02" that of slot 0, and existing files must keep their meaning.
constexpr std::array<int, 6> kColourSlotOfKey = {1, 0, 2, 3, 4, 5};

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString colourKey(int i)
{
    return QStringLiteral("Renk") + twoDigits(i + 1);
}

QString columnKey(int i)
{
    return QStringLiteral("Sütun ") + twoDigits(i + 1);
}

bool readBool(const IniFile &ini, const QString &section, const QString &key, bool current)
{
    return ini.readInteger(section, key, current ? 1 : 0) != 0;
}

void writeBool(IniFile &ini, const QString &section, const QString &key, bool value)
{
    ini.writeInteger(section, key, value ? 1 : 0);
}

// GetSysColor's values, as Windows colour values, under the default Windows theme.
constexpr std::array<quint32, 31> kSystemColours = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0,
};

} // namespace

Settings::Settings()
{
    fieldFlags.fill(false);
    for (const int shown : {1, 2, 4, 6, 7})
        fieldFlags[shown - 1] = true;
    columnWidths = {200, 190, 110, 128, 100, 110, 110, 200, 110, 64,  200, 100,
                    80,  80,  80,  100, 100, 70,  180, 70,  100, 200, 75};
}

QColor colourFromWin(qint32 value)
{
    quint32 bgr = quint32(value);
    if (value < 0) {
        // An unknown index gives black, as GetSysColor does.
        const quint32 index = bgr & 0xFF;
        bgr = index < kSystemColours.size() ? kSystemColours[index] : 0;
    }
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

qint32 colourToWin(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return qint32(quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16);
}

QString SettingsFile::defaultPath()
{
    return ProgramDir::file(QStringLiteral("PersonelKayit.ini"));
}

void SettingsFile::load(const QString &path, Settings &settings)
{
    IniFile ini;
    ini.load(path);

    for (int i = 0; i < int(kColourSlotOfKey.size()); ++i) {
        qint32 &colour = settings.colours[kColourSlotOfKey[i]];
        colour = ini.readInteger(kDisplay, colourKey(i), colour);
    }
    settings.preview = readBool(ini, kDisplay, QStringLiteral("OnIzleme"), settings.preview);
    settings.logo = readBool(ini, kDisplay, QStringLiteral("Logo"), settings.logo);
    settings.sound = readBool(ini, kDisplay, QStringLiteral("Ses"), settings.sound);

    settings.programName =
        ini.readString(kProgram, QStringLiteral("Program"), settings.programName);

    for (int i = 1; i < int(settings.fieldFlags.size()); ++i)
        settings.fieldFlags[i] = readBool(ini, kFields, twoDigits(i + 1), settings.fieldFlags[i]);

    for (int i = 0; i < int(settings.columnWidths.size()); ++i)
        settings.columnWidths[i] =
            ini.readInteger(kColumns, columnKey(i), settings.columnWidths[i]);
    settings.server = ini.readString(kServer, kServerConnection, settings.server).trimmed();
}

bool SettingsFile::save(const QString &path, const Settings &settings, QString *failedPath,
                        QString *reason)
{
    IniFile ini;
    ini.load(path);

    for (int i = 0; i < int(kColourSlotOfKey.size()); ++i)
        ini.writeInteger(kDisplay, colourKey(i), settings.colours[kColourSlotOfKey[i]]);
    writeBool(ini, kDisplay, QStringLiteral("OnIzleme"), settings.preview);
    writeBool(ini, kDisplay, QStringLiteral("Logo"), settings.logo);
    writeBool(ini, kDisplay, QStringLiteral("Ses"), settings.sound);

    ini.writeString(kProgram, QStringLiteral("Program"), settings.programName);
    // A register kept in the file leaves no trace of the server part in the file.
    if (!settings.server.isEmpty() || !ini.readString(kServer, kServerConnection).isEmpty())
        ini.writeString(kServer, kServerConnection, settings.server);

    for (int i = 1; i < int(settings.fieldFlags.size()); ++i)
        writeBool(ini, kFields, twoDigits(i + 1), settings.fieldFlags[i]);

    for (int i = 0; i < int(settings.columnWidths.size()); ++i)
        ini.writeInteger(kColumns, columnKey(i), settings.columnWidths[i]);

    if (ini.save(path, reason))
        return true;
    if (failedPath)
        *failedPath = path;
    return false;
}
