#include "layout.h"

#include "expression.h"
#include "textmetrics.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace report
{
namespace
{

constexpr double kEpsilon = 1e-6;
constexpr int kProgressStep = 500; // master rows between two progress calls
constexpr int kUnlimited = std::numeric_limits<int>::max();

const Band *bandOf(const ReportPage &page, BandKind kind)
{
    for (const Band &band : page.bands)
        if (band.kind == kind)
            return &band;
    return nullptr;
}

// An empty text box that shows nothing is left out (most empty cells of a long list); a named
// one stays, so that the page tells what each named box holds.
bool leftOutWhenEmpty(const ReportObject &object)
{
    return object.name.isEmpty() && object.frame == NoSides && !object.fill.isValid() &&
           !object.oddRowFill.isValid();
}

} // namespace

// The layout runs in two passes over the same steps: a dry pass that only stacks band heights
// to find the pages, then the real pass that fills them, a slice of rows at a time.
class Preparation::Layout
{
public:
    Layout(const ReportTemplate &report, const DataSources &sources, QDate today);

    const PreparedReport &report() const { return m_out; }
    PreparedReport take() { return std::move(m_out); }
    int readyPages() const { return m_readyPages; }
    bool isFinished() const { return m_step == Step::Done; }
    int totalRows() const { return m_totalRows; }
    int rowsDone() const { return m_rowsBefore + m_row; }

    // Lays out until `rows` more master rows are placed, page `untilPage` is ready, or all is
    // done; false when the progress cancelled it.
    bool run(int rows, int untilPage, Progress *progress);
    void leaveSourcesOnLastRow();

private:
    enum class Step { StartPage, Title, Rows, Footer, Summary, Done };

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
    // A template page compiled once for both passes.
    struct CompiledPage {
        const ReportPage *page;
        QRectF area;
        QSizeF size;
        std::vector<CompiledObject> freeObjects;
        std::vector<CompiledBand> bands;
        const CompiledBand *title = nullptr;
        const CompiledBand *master = nullptr;
        const CompiledBand *footer = nullptr;
        const CompiledBand *pageFooter = nullptr;
        const CompiledBand *summary = nullptr;
        DataSource *source = nullptr; // the master band's
    };

    quint16 addStyle(const ReportObject &object);
    CompiledObject compile(const ReportObject &object, const DataSource *master);
    std::vector<CompiledObject> compileAll(const std::vector<ReportObject> &objects,
                                           const DataSource *master);
    void compilePage(const ReportPage &page);
    int rowsOf(const CompiledPage &page) const;

    void startPage();
    void finishPage();
    // Puts a band (and its children) at the current position, breaking the page first when
    // it does not fit above the page footer.
    void putBand(const CompiledBand &band, ExpressionContext context, bool oddRow = false);
    void place(const CompiledObject &object, QPointF origin, const ExpressionContext &context,
               bool oddRow);
    void placeText(PreparedPage &page, PlacedItem &item, const CompiledObject &object,
                   const ExpressionContext &context) const;
    ExpressionContext context() const;
    void rewind();

    const DataSources &m_sources;
    const ExpressionScope m_scope;
    PreparedReport m_out;
    std::vector<CompiledPage> m_pages;
    int m_totalRows = 0;

    bool m_dry = true;
    Step m_step = Step::StartPage;
    size_t m_templatePage = 0;
    int m_row = 0;        // master rows of the template page placed so far
    int m_rows = 0;       // master rows of the template page
    int m_rowsBefore = 0; // master rows of the earlier template pages
    int m_pageIndex = -1; // the prepared page being filled
    int m_readyPages = 0;
    double m_y = 0;     // where the next band goes, from the paper's top
    double m_limit = 0; // how far bands may reach before the page footer
};

Preparation::Layout::Layout(const ReportTemplate &report, const DataSources &sources, QDate today)
    : m_sources(sources), m_scope(sources, QLocale().toString(today, QLocale::ShortFormat))
{
    m_out.name = report.name();
    m_out.title = report.title();
    m_pages.reserve(report.pages.size());
    for (const ReportPage &page : report.pages)
        compilePage(page);
    for (const CompiledPage &page : m_pages)
        m_totalRows += rowsOf(page);
    if (m_pages.empty())
        m_step = Step::Done;
    run(kUnlimited, -1, nullptr); // the dry pass: the pages and their number
    rewind();
}

void Preparation::Layout::rewind()
{
    m_dry = false;
    m_step = m_pages.empty() ? Step::Done : Step::StartPage;
    m_templatePage = 0;
    m_row = 0;
    m_rows = 0;
    m_rowsBefore = 0;
    m_pageIndex = -1;
    m_readyPages = 0;
}

quint16 Preparation::Layout::addStyle(const ReportObject &object)
{
    ReportObject style = object;
    style.text.clear();
    m_out.styles.push_back(std::move(style));
    return quint16(m_out.styles.size() - 1);
}

Preparation::Layout::CompiledObject Preparation::Layout::compile(const ReportObject &object,
                                                                 const DataSource *master)
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

std::vector<Preparation::Layout::CompiledObject>
Preparation::Layout::compileAll(const std::vector<ReportObject> &objects, const DataSource *master)
{
    std::vector<CompiledObject> out;
    out.reserve(objects.size());
    for (const ReportObject &object : objects)
        out.push_back(compile(object, master));
    return out;
}

void Preparation::Layout::compilePage(const ReportPage &page)
{
    CompiledPage &out = m_pages.emplace_back();
    out.page = &page;
    out.area = page.printableArea();
    out.size = page.size();
    out.freeObjects = compileAll(page.freeObjects, nullptr);
    out.bands.resize(page.bands.size());
    for (size_t i = 0; i < page.bands.size(); ++i) {
        const Band &band = page.bands[i];
        DataSource *master =
            band.kind == BandKind::MasterData ? m_sources.value(band.dataSource) : nullptr;
        CompiledBand &compiled = out.bands[i];
        compiled.band = &band;
        compiled.objects = compileAll(band.objects, master);
        if (band.child >= 0 && size_t(band.child) < out.bands.size())
            compiled.child = &out.bands[size_t(band.child)];
    }
    auto find = [&](BandKind kind) -> const CompiledBand * {
        const Band *band = bandOf(page, kind);
        return band ? &out.bands[size_t(band - page.bands.data())] : nullptr;
    };
    out.title = find(BandKind::ReportTitle);
    out.master = find(BandKind::MasterData);
    out.footer = find(BandKind::Footer);
    out.pageFooter = find(BandKind::PageFooter);
    out.summary = find(BandKind::Summary);
    if (out.master)
        out.source = m_sources.value(out.master->band->dataSource);
}

int Preparation::Layout::rowsOf(const CompiledPage &page) const
{
    return page.master && page.source ? page.source->rowCount() : 0;
}

bool Preparation::Layout::run(int rows, int untilPage, Progress *progress)
{
    int budget = rows;
    progress::begin(progress, QString(), m_totalRows);
    while (m_step != Step::Done) {
        if (untilPage >= 0 && m_readyPages > untilPage)
            return true;
        const CompiledPage &page = m_pages[m_templatePage];
        switch (m_step) {
        case Step::StartPage:
            m_row = 0;
            m_rows = rowsOf(page);
            startPage();
            m_step = Step::Title;
            break;
        case Step::Title:
            if (page.title)
                putBand(*page.title, context());
            m_step = Step::Rows;
            break;
        case Step::Rows:
            while (m_row < m_rows) {
                if (budget <= 0)
                    return true;
                if (untilPage >= 0 && m_readyPages > untilPage)
                    return true;
                if (m_row % kProgressStep == 0 && !progress::reached(progress, rowsDone()))
                    return false;
                ExpressionContext here = context();
                here.line = m_row + 1;
                here.masterRow = m_row;
                putBand(*page.master, here, (m_row + 1) % 2 == 1);
                ++m_row;
                --budget;
            }
            m_step = Step::Footer;
            break;
        case Step::Footer:
            if (page.footer)
                putBand(*page.footer, context());
            m_step = Step::Summary;
            break;
        case Step::Summary:
            if (page.summary)
                putBand(*page.summary, context());
            finishPage();
            m_rowsBefore += m_rows;
            m_row = 0;
            m_rows = 0;
            ++m_templatePage;
            m_step = m_templatePage < m_pages.size() ? Step::StartPage : Step::Done;
            break;
        case Step::Done:
            break;
        }
    }
    return progress::reached(progress, m_totalRows);
}

void Preparation::Layout::leaveSourcesOnLastRow()
{
    for (const CompiledPage &page : m_pages) {
        const int rows = rowsOf(page);
        if (rows > 0)
            page.source->moveTo(rows - 1);
    }
}

ExpressionContext Preparation::Layout::context() const
{
    ExpressionContext context;
    context.line = m_row; // the rows printed so far
    context.page = m_pageIndex + 1;
    context.totalPages = int(m_out.pages.size());
    return context;
}

void Preparation::Layout::startPage()
{
    const CompiledPage &page = m_pages[m_templatePage];
    ++m_pageIndex;
    if (m_dry) {
        PreparedPage shell;
        shell.paper = page.page->paper;
        shell.orientation = page.page->orientation;
        shell.size = page.size;
        m_out.pages.push_back(std::move(shell));
    }
    m_y = page.area.top();
    m_limit = page.area.bottom() - (page.pageFooter ? page.pageFooter->band->height : 0);
    for (const CompiledObject &object : page.freeObjects)
        place(object, page.area.topLeft(), context(), false);
}

void Preparation::Layout::finishPage()
{
    const CompiledPage &page = m_pages[m_templatePage];
    if (page.pageFooter) {
        const QPointF origin(page.area.left(), page.area.bottom() - page.pageFooter->band->height);
        for (const CompiledObject &object : page.pageFooter->objects)
            place(object, origin, context(), false);
    }
    if (!m_dry)
        m_readyPages = m_pageIndex + 1;
}

void Preparation::Layout::putBand(const CompiledBand &band, ExpressionContext context, bool oddRow)
{
    const CompiledPage &page = m_pages[m_templatePage];
    const double height = band.band->height;
    const bool pageHasBands = m_y > page.area.top() + kEpsilon;
    if (m_y + height > m_limit + kEpsilon && pageHasBands) {
        finishPage();
        startPage();
    }
    context.page = m_pageIndex + 1;
    const QPointF origin(page.area.left(), m_y);
    for (const CompiledObject &object : band.objects)
        place(object, origin, context, oddRow);
    m_y += height;
    if (band.child)
        putBand(*band.child, context);
}

void Preparation::Layout::place(const CompiledObject &compiled, QPointF origin,
                                const ExpressionContext &context, bool oddRow)
{
    if (m_dry)
        return;
    const ReportObject &object = *compiled.object;
    if (object.kind == ObjectKind::Picture && object.image.isNull())
        return;
    PreparedPage &page = m_out.pages[size_t(m_pageIndex)];
    const QRectF rect = object.rect.translated(origin);
    PlacedItem item;
    item.x = float(rect.x());
    item.y = float(rect.y());
    item.width = float(rect.width());
    item.height = float(rect.height());
    item.kind = object.kind;
    item.style = oddRow ? compiled.oddStyle : compiled.style;
    if (object.kind == ObjectKind::Text) {
        placeText(page, item, compiled, context);
        if (item.textLength == 0 && leftOutWhenEmpty(object))
            return;
    }
    page.items.push_back(item);
}

void Preparation::Layout::placeText(PreparedPage &page, PlacedItem &item,
                                    const CompiledObject &compiled,
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

// ---------------------------------------------------------------- Preparation

Preparation::Preparation(const ReportTemplate &report, const DataSources &sources, QDate today)
    : m_layout(std::make_unique<Layout>(report, sources, today))
{
}

Preparation::~Preparation() = default;

const PreparedReport &Preparation::report() const
{
    return m_layout->report();
}

int Preparation::pageCount() const
{
    return m_layout->report().pageCount();
}

int Preparation::readyPages() const
{
    return m_layout->readyPages();
}

bool Preparation::isFinished() const
{
    return m_layout->isFinished();
}

void Preparation::advance(int rows)
{
    m_layout->run(std::max(rows, 1), -1, nullptr);
}

void Preparation::prepareUntil(int pageIndex)
{
    m_layout->run(kUnlimited, pageIndex, nullptr);
}

bool Preparation::finish(Progress *progress)
{
    return m_layout->run(kUnlimited, -1, progress);
}

void Preparation::leaveSourcesOnLastRow()
{
    m_layout->leaveSourcesOnLastRow();
}

PreparedReport Preparation::take()
{
    return m_layout->take();
}

std::optional<PreparedReport> prepare(const ReportTemplate &report, const DataSources &sources,
                                      const PrepareOptions &options)
{
    Preparation preparation(report, sources, options.today);
    if (!preparation.finish(options.progress))
        return std::nullopt;
    preparation.leaveSourcesOnLastRow();
    return preparation.take();
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
