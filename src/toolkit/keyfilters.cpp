#include "keyfilters.h"

#include "data/turkish.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

namespace keyfilters {

namespace {

bool isLowerTurkishLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || c == u'ı' || c == u'ç' || c == u'ğ' || c == u'ö' ||
           c == u'ş' || c == u'ü';
}

// The character before the caret, or a null character at the start of the box. Over a
// selection the caret stands where the typed character goes, at the selection's start (a
// value selected whole, as the Tab key leaves it, is typed over from the start of the box).
QChar charBeforeCaret(QObject *widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        const int at = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        return at > 0 ? edit->text().at(at - 1) : QChar();
    }
    if (auto *text = qobject_cast<QPlainTextEdit *>(widget)) {
        const int at = text->textCursor().selectionStart();
        return at > 0 ? text->document()->characterAt(at - 1) : QChar();
    }
    return {};
}

class Filter : public QObject
{
public:
    enum class Mode { Mapping, WordCapitals };
    Filter(QObject *parent, Mode mode, QString (*mapping)(const QString &))
        : QObject(parent), m_mode(mode), m_mapping(mapping)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || m_forwarding)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->text().isEmpty() || !key->text().at(0).isPrint())
            return false;
        QString mapped;
        if (m_mode == Mode::Mapping) {
            mapped = m_mapping(key->text());
        } else {
            const QChar before = charBeforeCaret(watched);
            const bool wordStart = before.isNull() || before == QLatin1Char(' ') || before == QLatin1Char('.');
            mapped = key->text();
            if (wordStart)
                mapped[0] = trUpCase(mapped[0]);
        }
        if (mapped == key->text())
            return false;
        QKeyEvent replaced(QEvent::KeyPress, key->key(), key->modifiers(), mapped,
                           key->isAutoRepeat(), ushort(key->count()));
        m_forwarding = true;
        QCoreApplication::sendEvent(watched, &replaced);
        m_forwarding = false;
        return true;
    }

private:
    Mode m_mode;
    QString (*m_mapping)(const QString &);
    bool m_forwarding = false;
};

} // namespace

QChar trUpCase(QChar c)
{
    const char16_t u = c.unicode();
    if (isLowerTurkishLetter(u))
        return QChar(char16_t(turkish::toUpper(u)));
    return c;
}

QString upperCase(const QString &typed)
{
    QString out;
    out.reserve(typed.size());
    for (QChar ch : typed) {
        const char16_t c = ch.unicode();
        out.append(c == u'q' || c == u'w' ? ch : trUpCase(ch));
    }
    return out;
}

void install(QWidget *widget, QString (*mapping)(const QString &))
{
    widget->installEventFilter(new Filter(widget, Filter::Mode::Mapping, mapping));
}

void installUpperCase(QWidget *widget)
{
    install(widget, upperCase);
}

void installWordCapitals(QWidget *widget)
{
    widget->installEventFilter(new Filter(widget, Filter::Mode::WordCapitals, nullptr));
}

} // namespace keyfilters
