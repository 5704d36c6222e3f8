#include "characterlimit.h"

QValidator::State CharacterLimit::validate(QString &input, int &pos) const
{
    if (limit <= 0)
        return Acceptable;
    qsizetype excess = codePoints(input) - limit;
    qsizetype begin = pos;
    while (excess > 0 && begin > 0) {
        begin -= isPairEndingAt(input, begin) ? 2 : 1;
        --excess;
    }
    input.remove(begin, pos - begin);
    pos = int(begin);
    qsizetype end = input.size();
    while (excess > 0 && end > pos) {
        end -= isPairEndingAt(input, end) ? 2 : 1;
        --excess;
    }
    input.truncate(end);
    return Acceptable;
}

bool CharacterLimit::isPairEndingAt(const QString &text, qsizetype end)
{
    return end >= 2 && text.at(end - 1).isLowSurrogate() && text.at(end - 2).isHighSurrogate();
}

qsizetype CharacterLimit::codePoints(const QString &text)
{
    qsizetype count = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++count)
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    return count;
}
