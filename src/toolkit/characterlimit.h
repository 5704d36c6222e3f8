#pragma once

#include <QValidator>

// Counts characters as code points, as the table's size checks and the password's length
// do, where QLineEdit's own limit counts UTF-16 units and would cut an emoji in half. Text
// beyond the limit is taken from the end of what was just typed or pasted, which ends at
// the caret; half of a character is never kept.
class CharacterLimit : public QValidator
{
public:
    explicit CharacterLimit(QObject *parent = nullptr, int limit = 0)
        : QValidator(parent), limit(limit)
    {
    }

    // 0 for no limit.
    int limit = 0;

    State validate(QString &input, int &pos) const override;

    static qsizetype codePoints(const QString &text);

private:
    static bool isPairEndingAt(const QString &text, qsizetype end);
};
