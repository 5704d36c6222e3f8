#pragma once

#include <QColor>
#include <QString>
#include <array>

// The program's settings as they are while it runs; PersonelKayit.ini beside the program
// holds them between runs.
struct Settings {
    // Text colours of the union colour slots 0..5 (slot 0 = people in no union), as the
    // Windows colour value: red in the low byte, then green, then blue.
    std::array<qint32, 6> colours{}; // RenkKayitsiz, RenkTes, RenkESen, RenkEBir, RenkEIs, RenkTec
    bool preview = true;             // ChkYazdir
    bool logo = false;               // ChkLogo
    bool sound = false;              // ChkSes
    QString programName = QStringLiteral("MELTORA");
    // Which fields the list shows (CheckBox1..23). The first always shows: it is neither read
    // nor written.
    std::array<bool, 23> fieldFlags;
    std::array<int, 23> columnWidths;
    // The register on a PostgreSQL server, as libpq's connection string; empty: the file.
    // Never a password: libpq's own sources or the start-up question give that.
    QString server;

    Settings();
};

// Negative values are Windows system colours (0x80000000 plus the colour index); they
// resolve to the Windows defaults.
QColor colourFromWin(qint32 value);
qint32 colourToWin(const QColor &colour);

class SettingsFile
{
public:
    static QString defaultPath();
    // Every key is read with the setting's current value as its default, so a missing key or
    // a value that is no number leaves the setting alone.
    static void load(const QString &path, Settings &settings);
    // Rewrites the keys in the existing file, keeping whatever else it holds. False, with
    // the path in *failedPath and the Turkish reason in *reason, when the file cannot be
    // written.
    static bool save(const QString &path, const Settings &settings, QString *failedPath,
                     QString *reason = nullptr);
};
