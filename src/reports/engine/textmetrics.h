#pragma once

#include "reporttemplate.h"

#include <QFont>
#include <QStringList>
#include <QStringView>
#include <array>

namespace report
{

// Font measures in millimetres, taken once from a high-resolution reference device and then
// used for screen, paper and PDF alike, so that a text breaks, aligns and is cut off in the
// same place on every one of them. Kerning is off, so a text's width is the sum of its
// characters' advances.
class TextMetrics
{
public:
    static const TextMetrics &of(const FontSpec &font);

    // The font at the given point size, as every device draws it.
    static QFont font(const FontSpec &wanted, double pointSize);

    double ascent() const { return m_ascent; }
    double lineHeight() const { return m_ascent + m_descent; }
    double advance(QChar ch) const;
    double width(QStringView text) const;
    // How many leading characters start left of `available` (the width from the text's start).
    qsizetype fittingLength(QStringView text, double available, double spacing = 0) const;

    // Breaks a text into lines no wider than `width`, the first line narrower by `indent`;
    // each line break of the text starts a new line. Words longer than a line are broken
    // between characters.
    QStringList wrap(const QString &text, double width, double indent) const;

private:
    explicit TextMetrics(const FontSpec &wanted);
    double measure(QChar ch) const;

    QFont m_font;
    double m_ascent = 0;
    double m_descent = 0;
    mutable std::array<float, 0x250> m_advances; // Latin letters, Turkish ones included
};

} // namespace report
