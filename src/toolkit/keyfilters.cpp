#include "keyfilters.h"

#include "data/turkish.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace keyfilters {

namespace {

class Filter : public QObject
{
public:
    Filter(QObject *parent, QString (*mapping)(const QString &)) : QObject(parent), m_mapping(mapping) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || m_forwarding)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->text().isEmpty() || !key->text().at(0).isPrint())
            return false;
        const QString mapped = m_mapping(key->text());
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
    QString (*m_mapping)(const QString &);
    bool m_forwarding = false;
};

} // namespace

QString searchKey(const QString &typed)
{
    QString out;
    out.reserve(typed.size());
    for (QChar ch : typed) {
        const char16_t c = ch.unicode();
        if (c == u'q' || c == u'w')
            out.append(ch);
        else if ((c >= u'a' && c <= u'z') || c == u'ı' || c == u'ç' || c == u'ğ' || c == u'ö' ||
                 c == u'ş' || c == u'ü')
            out.append(QChar(char16_t(turkish::toUpper(c))));
        else
            out.append(ch);
    }
    return out;
}

void install(QWidget *widget, QString (*mapping)(const QString &))
{
    widget->installEventFilter(new Filter(widget, mapping));
}

} // namespace keyfilters
