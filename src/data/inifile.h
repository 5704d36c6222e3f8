#pragma once

#include <QString>
#include <QStringList>

// A profile file read and written by the rules of the Windows profile API
// (GetPrivateProfileString and friends), so files made by the Windows program read the same
// here and files written here read the same there: "[section]" and "key=value" lines kept in
// file order, names matched without regard to ASCII case, bytes in code page 1254.
// Everything the reader does not understand, comments included, is carried through a save.
class IniFile
{
public:
    // The Windows program read every string through a 2048-character buffer.
    static constexpr int MaxStringLength = 2047;

    // A missing file reads as an empty one. False, with nothing loaded, only when the file
    // is there but cannot be read.
    bool load(const QString &path);
    // Writes the whole file with CRLF line ends, through a temporary file renamed over it.
    // False, with the reason in *error, when it cannot be written; the old file then stays.
    bool save(const QString &path, QString *error = nullptr) const;

    // The lines of an already decoded file, for a file kept in another encoding than the
    // code page (the program's own profile); text() gives them back with CRLF line ends.
    void setText(const QString &text);
    QString text() const;

    // The value without surrounding blanks and without one pair of enclosing quotes, at
    // most MaxStringLength characters; the default when the section or key is missing.
    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    // Decimal with an optional sign, or hexadecimal after "$", "0x" or "0X"; the default for
    // a missing key and for anything else, an empty value included.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;

    // Replaces the value of the first matching key where it stands; a new key goes after the
    // last line of its section, a new section at the end of the file. Control characters
    // (line breaks above all) are left out of the value.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);

    bool isEmpty() const { return m_lines.isEmpty(); }

private:
    struct Section {
        qsizetype first; // the line after the header
        qsizetype end;   // the next header, or the end of the file
    };
    bool findSection(const QString &name, Section *section) const;
    qsizetype findKey(const Section &section, const QString &key) const;

    QStringList m_lines;
};
