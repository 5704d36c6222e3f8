#include "textmetrics.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <cmath>
#include <map>
#include <memory>

namespace report
{
namespace
{

constexpr double kReferenceDpi = 1200;
constexpr double kMmPerInch = 25.4;

// The device the measures are taken on.
const QImage &referenceDevice()
{
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        const int dotsPerMeter = int(std::lround(kReferenceDpi / kMmPerInch * 1000));
        i.setDotsPerMeterX(dotsPerMeter);
        i.setDotsPerMeterY(dotsPerMeter);
        return i;
    }();
    return image;
}

double toMm(double referencePixels)
{
    return referencePixels * kMmPerInch / kReferenceDpi;
}

struct FontKey {
    QString family;
    double size;
    bool bold;
    bool operator<(const FontKey &other) const
    {
        return std::tie(family, size, bold) < std::tie(other.family, other.size, other.bold);
    }
};

// The templates name the families of the office fonts; where those are not installed, their
// metric twins take their place, so that every text keeps its width.
void substituteMissingFamilies()
{
    static const bool done = [] {
        const QList<QPair<QString, QString>> twins = {
            {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
            {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")},
        };
        for (const auto &[family, twin] : twins)
            if (!QFontDatabase::hasFamily(family) && QFontDatabase::hasFamily(twin))
                QFont::insertSubstitution(family, twin);
        return true;
    }();
    Q_UNUSED(done)
}

} // namespace

QFont TextMetrics::font(const FontSpec &wanted, double pointSize)
{
    substituteMissingFamilies();
    QFont font(wanted.family);
    font.setPointSizeF(pointSize);
    font.setBold(wanted.bold);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

const TextMetrics &TextMetrics::of(const FontSpec &wanted)
{
    static std::map<FontKey, std::unique_ptr<TextMetrics>> cache;
    auto &slot = cache[FontKey{wanted.family, wanted.size, wanted.bold}];
    if (!slot)
        slot.reset(new TextMetrics(wanted));
    return *slot;
}

TextMetrics::TextMetrics(const FontSpec &wanted) : m_font(font(wanted, wanted.size))
{
    const QFontMetricsF metrics(m_font, &referenceDevice());
    m_ascent = toMm(metrics.ascent());
    m_descent = toMm(metrics.descent());
    m_advances.fill(-1);
}

double TextMetrics::measure(QChar ch) const
{
    const QFontMetricsF metrics(m_font, &referenceDevice());
    return toMm(metrics.horizontalAdvance(ch));
}

double TextMetrics::advance(QChar ch) const
{
    const char16_t code = ch.unicode();
    if (code >= m_advances.size())
        return measure(ch);
    float &slot = m_advances[code];
    if (slot < 0)
        slot = float(measure(ch));
    return slot;
}

double TextMetrics::width(QStringView text) const
{
    double total = 0;
    for (QChar ch : text)
        total += advance(ch);
    return total;
}

qsizetype TextMetrics::fittingLength(QStringView text, double available, double spacing) const
{
    double x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (x >= available - 1e-6)
            return i;
        x += advance(text[i]) + spacing;
    }
    return text.size();
}

QStringList TextMetrics::wrap(const QString &text, double width, double indent) const
{
    QStringList lines;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        double available = width - (lines.isEmpty() ? indent : 0);
        QString line;
        double lineWidth = 0;
        bool lineStarted = false;
        const qsizetype linesBefore = lines.size();
        auto flush = [&] {
            while (line.endsWith(QLatin1Char(' ')))
                line.chop(1);
            lines << line;
            line.clear();
            lineWidth = 0;
            available = width;
            lineStarted = false;
        };
        qsizetype i = 0;
        while (i < paragraph.size()) {
            // The next word with the blanks before it.
            qsizetype end = i;
            while (end < paragraph.size() && paragraph[end] == QLatin1Char(' '))
                ++end;
            while (end < paragraph.size() && paragraph[end] != QLatin1Char(' '))
                ++end;
            const QStringView word = QStringView(paragraph).mid(i, end - i);
            const double wordWidth = this->width(word);
            if (lineWidth + wordWidth <= available + 1e-6) {
                line += word;
                lineWidth += wordWidth;
                lineStarted = true;
                i = end;
            } else if (lineStarted) {
                flush();
                // A new line does not start with the blanks that separated the words.
                while (i < paragraph.size() && paragraph[i] == QLatin1Char(' '))
                    ++i;
            } else {
                // A word wider than a whole line: as many characters as fit, at least one.
                qsizetype take = 0;
                double taken = 0;
                while (take < word.size() && taken + advance(word[take]) <= available + 1e-6)
                    taken += advance(word[take++]);
                take = std::max<qsizetype>(take, 1);
                line += word.left(take);
                i += take;
                flush();
            }
        }
        // The last line; an empty paragraph is an empty line.
        if (lineStarted || lines.size() == linesBefore)
            flush();
    }
    return lines;
}

} // namespace report
