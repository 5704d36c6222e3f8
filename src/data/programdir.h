#pragma once

#include <QString>

// The folder the program works in: the register Data.dat, PersonelKayit.ini, Yedekler/ and
// the repair's Yedek.dat. It is the executable's folder, or the folder chosen at start
// (datafolder::choose); tests point it at a temporary folder.
class ProgramDir
{
public:
    static QString path();
    static void setPath(const QString &dir);
    static QString file(const QString &name);

    // How the folder is called to the user: "Program Klasörü" while it is the program's own,
    // "Veri Klasörü" otherwise.
    static QString caption();

    // One of the program's own files that it only reads (the help topics): in the folder it
    // works in, beside the executable, or where the package installs it (share/meltora).
    static QString sharedFile(const QString &name);
    // A helper program that the program starts (the workbook reader): in the folder it works
    // in, beside the executable, or where the package installs it (libexec/meltora).
    static QString helperProgram(const QString &name);
};
