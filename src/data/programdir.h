#pragma once

#include <QString>

// The folder that holds the program's files (Data.dat, PersonelKayit.ini, Yardim/, Yedek.dat).
// It is the executable's folder; tests point it at a temporary folder.
class ProgramDir
{
public:
    static QString path();
    static void setPath(const QString &dir);
    static QString file(const QString &name);
};
