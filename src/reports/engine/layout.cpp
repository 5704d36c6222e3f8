#include "layout.h"

#include "expression.h"
#include "textmetrics.h"

#include <QLocale>
#include <cmath>

namespace report {
namespace {

constexpr double kEpsilon = 1e-6;
constexpr int kProgressStep = 500; // master rows between two progress calls

const Band *bandOf(const ReportPage &page, BandKind kind)
{
    for (const Band &band : page.bands)
        if (band.kind == kind)
            return &band;
    return nullptr;
}

bool paintsNothing(const ReportObject &object, const QString &text)
{
    return text.isEmpty() && object.frame == NoSides && !object.fill.isValid() &&
           !object.oddRowFill.isValid();
}

class Layout
{
public:
    Layout(const ReportTemplate &report, const DataSources &sources, const PrepareOptions &options)
        : m_sources(sources), m_options(options),
          m_scope(sources, QLocale().toString(options.today, QLocale::ShortFormat))
    {
        m_out.name = report.name();
        m_out.title = report.title();
    }

    std::optional<PreparedReport> run(const ReportTemplate &report);

private:
    struct CompiledObject {
        const ReportObject *object;
        quint16 style;
        quint16 oddStyle; // the style on rows whose running number is odd
        Expression text;
    };
    struct CompiledBand {
        const Band *band = nullptr;
        std::vector<CompiledObject> objects;
        const CompiledBand *child = nullptr;
    };
    // A text that needs the number of pages, written once that is known.
    struct Deferred {
        int page;
        size_t item;
        const CompiledObject *object;
        ExpressionContext context;
    };

    quint16 addStyle(const ReportObject &object);
    CompiledObject compile(const ReportObject &object, const DataSource *master);
    std::vector<CompiledObject> compileAll(const std::vector<ReportObject> &objects,
                                           const DataSource *master);
    std::vector<CompiledBand> compileBands(const ReportPage &page);

    bool layOut(const ReportPage &page);
    void startPage(const ReportPage &page);
    void finishPage();
    // Puts a band (and its children) at the current position, breaking the page first when
    // it does not fit above the page footer.
    void putBand(const CompiledBand &band, const ExpressionContext &context, bool oddRow = false);
    void place(const CompiledObject &object, QPointF origin, const ExpressionContext &context,
               bool oddRow);
    void placeText(PreparedPage &page, PlacedItem &item, const CompiledObject &object,
                   const ExpressionContext &context) const;
    void resolveDeferred();
    ExpressionContext pageContext() const;

    const DataSources &m_sources;
    const PrepareOptions &m_options;
    const ExpressionScope m_scope;
    PreparedReport m_out;
    // Compiled once per template page; kept to the end for the deferred texts.
    std::vector<std::vector<CompiledObject>> m_freeObjectsOfPages;
    std::vector<std::vector<CompiledBand>> m_bandsOfPages;
    std::vector<Deferred> m_deferred;

    // The template page being laid out.
    const ReportPage *m_page = nullptr;
    const std::vector<CompiledObject> *m_freeObjects = nullptr;
    const CompiledBand *m_pageFooter = nullptr;
    double m_y = 0;      // where the next band goes, from the paper's top
    double m_limit = 0;  // how far bands may reach before the page footer
    int m_linesDone = 0; // master rows printed so far
};

quint16 Layout::addStyle(const ReportObject &object)
{
    ReportObject style = object;
    style.text.clear();
    m_out.styles.push_back(std::move(style));
    return quint16(m_out.styles.size() - 1);
}

Layout::CompiledObject Layout::compile(const ReportObject &object, const DataSource *master)
{
    const quint16 style = addStyle(object);
    quint16 oddStyle = style;
    if (object.oddRowFill.isValid()) {
        ReportObject odd = object;
        odd.fill = object.oddRowFill;
        oddStyle = addStyle(odd);
    }
    return {&object, style, oddStyle, Expression(object.text, m_scope, master)};
}

std::vector<Layout::CompiledObject> Layout::compileAll(const std::vector<ReportObject> &objects,
                                                       const DataSource *master)
{
    std::vector<CompiledObject> out;
    out.reserve(objects.size());
    for (const ReportObject &object : objects)
        out.push_back(compile(object, master));
    return out;
}

std::vector<Layout::CompiledBand> Layout::compileBands(const ReportPage &page)
{
    std::vector<CompiledBand> bands(page.bands.size());
    for (size_t i = 0; i < page.bands.size(); ++i) {
        const Band &band = page.bands[i];
        const DataSource *master =
            band.kind == BandKind::MasterData ? m_sources.value(band.dataSource) : nullptr;
        bands[i].band = &band;
        bands[i].objects = compileAll(band.objects, master);
        if (band.child >= 0 && size_t(band.child) < bands.size())
            bands[i].child = &bands[size_t(band.child)];
    }
    return bands;
}

std::optional<PreparedReport> Layout::run(const ReportTemplate &report)
{
    for (const ReportPage &page : report.pages)
        if (!layOut(page))
            return std::nullopt;
    resolveDeferred();
    return std::move(m_out);
}

bool Layout::layOut(const ReportPage &page)
{
    m_page = &page;
    m_freeObjects = &m_freeObjectsOfPages.emplace_back(compileAll(page.freeObjects, nullptr));
    const std::vector<CompiledBand> &bands = m_bandsOfPages.emplace_back(compileBands(page));
    auto find = [&](BandKind kind) -> const CompiledBand * {
        const Band *band = bandOf(page, kind);
        return band ? &bands[size_t(band - page.bands.data())] : nullptr;
    };
    m_pageFooter = find(BandKind::PageFooter);
    m_linesDone = 0;
    startPage(page);

    if (const CompiledBand *title = find(BandKind::ReportTitle))
        putBand(*title, pageContext());
    if (const CompiledBand *master = find(BandKind::MasterData)) {
        DataSource *source = m_sources.value(master->band->dataSource);
        const int rows = source ? source->rowCount() : 0;
        for (int row = 0; row < rows; ++row) {
            if (row % kProgressStep == 0 && m_options.progress && !m_options.progress(row, rows))
                return false;
            ExpressionContext context = pageContext();
            context.line = row + 1;
            context.masterRow = row;
            putBand(*master, context, (row + 1) % 2 == 1);
            m_linesDone = row + 1;
        }
        if (rows > 0) {
            if (m_options.progress && !m_options.progress(rows, rows))
                return false;
            source->moveTo(rows - 1);
        }
    }
    if (const CompiledBand *footer = find(BandKind::Footer))
        putBand(*footer, pageContext());
    if (const CompiledBand *summary = find(BandKind::Summary))
        putBand(*summary, pageContext());
    finishPage();
    return true;
}

ExpressionContext Layout::pageContext() const
{
    ExpressionContext context;
    context.line = m_linesDone;
    context.page = m_out.pageCount();
    return context;
}

void Layout::startPage(const ReportPage &page)
{
    PreparedPage prepared;
    prepared.paper = page.paper;
    prepared.orientation = page.orientation;
    prepared.size = page.size();
    m_out.pages.push_back(std::move(prepared));
    const QRectF area = page.printableArea();
    m_y = area.top();
    m_limit = area.bottom() - (m_pageFooter ? m_pageFooter->band->height : 0);
    for (const CompiledObject &object : *m_freeObjects)
        place(object, area.topLeft(), pageContext(), false);
}

void Layout::finishPage()
{
    if (!m_pageFooter)
        return;
    const QRectF area = m_page->printableArea();
    const QPointF origin(area.left(), area.bottom() - m_pageFooter->band->height);
    for (const CompiledObject &object : m_pageFooter->objects)
        place(object, origin, pageContext(), false);
}

void Layout::putBand(const CompiledBand &band, const ExpressionContext &context, bool oddRow)
{
    const double height = band.band->height;
    const bool pageHasBands = m_y > m_page->printableArea().top() + kEpsilon;
    if (m_y + height > m_limit + kEpsilon && pageHasBands) {
        finishPage();
        startPage(*m_page);
    }
    ExpressionContext here = context;
    here.page = m_out.pageCount();
    const QPointF origin(m_page->printableArea().left(), m_y);
    for (const CompiledObject &object : band.objects)
        place(object, origin, here, oddRow);
    m_y += height;
    if (band.child)
        putBand(*band.child, here);
}

void Layout::place(const CompiledObject &compiled, QPointF origin, const ExpressionContext &context,
                   bool oddRow)
{
    const ReportObject &object = *compiled.object;
    if (object.kind == ObjectKind::Picture && object.image.isNull())
        return;
    PreparedPage &page = m_out.pages.back();
    const QRectF rect = object.rect.translated(origin);
    PlacedItem item;
    item.x = float(rect.x());
    item.y = float(rect.y());
    item.width = float(rect.width());
    item.height = float(rect.height());
    item.kind = object.kind;
    item.style = oddRow ? compiled.oddStyle : compiled.style;
    if (object.kind == ObjectKind::Text) {
        if (compiled.text.usesTotalPages()) {
            m_deferred.push_back({m_out.pageCount() - 1, page.items.size(), &compiled, context});
        } else {
            placeText(page, item, compiled, context);
            if (item.textLength == 0 && paintsNothing(object, QString()))
                return;
        }
    }
    page.items.push_back(item);
}

void Layout::placeText(PreparedPage &page, PlacedItem &item, const CompiledObject &compiled,
                       const ExpressionContext &context) const
{
    const qsizetype start = page.text.size();
    compiled.text.appendTo(page.text, context);
    const ReportObject &object = *compiled.object;
    if (object.wordWrap && page.text.size() > start) {
        // Broken into lines here, once, so that every device shows the same lines; only the
        // lines that fit in the box are kept.
        const TextMetrics &metrics = TextMetrics::of(object.font);
        const QMarginsF &pad = object.padding;
        const double width = item.width - pad.left() - pad.right();
        const double indent = object.hAlign == HAlign::Left ? object.indent : 0;
        QStringList lines = metrics.wrap(page.text.mid(start), width, indent);
        const double height = item.height - pad.top() - pad.bottom();
        const int fitting = std::max(1, int(std::floor(height / metrics.lineHeight() + kEpsilon)));
        if (lines.size() > fitting)
            lines.resize(fitting);
        page.text.truncate(start);
        page.text += lines.join(QLatin1Char('\n'));
    }
    item.textStart = quint32(start);
    item.textLength = quint32(page.text.size() - start);
}

void Layout::resolveDeferred()
{
    for (Deferred &deferred : m_deferred) {
        deferred.context.totalPages = m_out.pageCount();
        PreparedPage &page = m_out.pages[size_t(deferred.page)];
        placeText(page, page.items[deferred.item], *deferred.object, deferred.context);
    }
}

} // namespace

std::optional<PreparedReport> prepare(const ReportTemplate &report, const DataSources &sources,
                                      const PrepareOptions &options)
{
    return Layout(report, sources, options).run(report);
}

int masterRowCount(const ReportTemplate &report, const DataSources &sources)
{
    int rows = 0;
    for (const ReportPage &page : report.pages)
        if (const Band *master = bandOf(page, BandKind::MasterData))
            if (const DataSource *source = sources.value(master->dataSource))
                rows += source->rowCount();
    return rows;
}

} // namespace report
