#include "tsrdbgrid.h"

#include "data/dataset.h"
#include "toolkit/guard.h"
#include "toolkit/messages.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace {

// The grid paints the current row with its own colours; the style's selection and focus
// frame would paint over them.
class PlainDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
    }
};

constexpr int kRowHeight = 20;

// The title row, painted flat in the colour and weight the model gives each title: silver,
// the sorted column's title bold on grey. A style (and any style sheet) would paint its
// own background over those.
class TitleRow : public QHeaderView
{
public:
    explicit TitleRow(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter *painter, const QRect &rect, int section) const override
    {
        if (!rect.isValid() || !model())
            return;
        const QVariant background = model()->headerData(section, orientation(), Qt::BackgroundRole);
        painter->save();
        painter->fillRect(rect, background.canConvert<QColor>() ? background.value<QColor>()
                                                                : palette().button().color());
        painter->setPen(QColor(160, 160, 160));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        QFont titleFont = font();
        titleFont.setBold(
            model()->headerData(section, orientation(), Qt::FontRole).value<QFont>().bold());
        painter->setFont(titleFont);
        painter->setPen(palette().color(QPalette::ButtonText));
        const QRect textRect = rect.adjusted(3, 0, -3, 0);
        const QString title =
            model()->headerData(section, orientation(), Qt::DisplayRole).toString();
        painter->drawText(
            textRect, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(titleFont).elidedText(title, Qt::ElideRight, textRect.width()));
        painter->restore();
    }
};

} // namespace

TSrDBGrid::TSrDBGrid(QWidget *parent) : QTableView(parent)
{
    setHorizontalHeader(new TitleRow(this));
    setItemDelegate(new PlainDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setShowGrid(true);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Fixed row heights: measuring 100,000 rows for their height would take seconds.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TSrDBGrid::titleClicked);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { Q_EMIT columnWidthChanged(column, width); });
    setFocusPolicy(Qt::StrongFocus);
}

void TSrDBGrid::setDataset(Dataset *dataset, const QList<GridColumn> &columns)
{
    auto *old = m_model;
    m_model = new DatasetModel(dataset, columns, this);
    m_model->setColours(m_colours);
    m_model->setTextColourHook(m_textColour);
    m_model->setMarkedColumn(m_markedColumn);
    setModel(m_model);
    delete old;
    for (int c = 0; c < columns.size(); ++c)
        setColumnWidth(c, columns[c].width);
    connect(dataset, &Dataset::currentMoved, this, &TSrDBGrid::followCurrentRow);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TSrDBGrid::followCurrentRow);
}

void TSrDBGrid::setTitlesSort(bool sort)
{
    if (sort)
        horizontalHeader()->setCursor(Qt::PointingHandCursor);
    else
        horizontalHeader()->unsetCursor();
}

Dataset *TSrDBGrid::dataset() const
{
    return m_model ? m_model->dataset() : nullptr;
}

void TSrDBGrid::followCurrentRow()
{
    Dataset *d = dataset();
    if (!d || !d->isOpen() || d->isEmpty())
        return;
    const int row = d->recNo() - 1;
    int column = horizontalHeader()->logicalIndexAt(0);
    if (column < 0)
        column = 0;
    scrollTo(m_model->index(row, column), QAbstractItemView::EnsureVisible);
}

// ---------------------------------------------------------------- colours

void TSrDBGrid::setColours(const std::function<void(DatasetModel::Colours &)> &change)
{
    change(m_colours);
    if (m_model)
        m_model->setColours(m_colours);
    viewport()->update();
}

QColor TSrDBGrid::background() const { return m_colours.background; }
QColor TSrDBGrid::colorAlternative() const { return m_colours.alternative; }
QColor TSrDBGrid::colorSelect() const { return m_colours.select; }
QColor TSrDBGrid::colorSelectText() const { return m_colours.selectText; }

void TSrDBGrid::setBackground(const QColor &colour)
{
    setColours([&](DatasetModel::Colours &c) { c.background = colour; });
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void TSrDBGrid::setColorAlternative(const QColor &colour)
{
    setColours([&](DatasetModel::Colours &c) { c.alternative = colour; });
}

void TSrDBGrid::setColorSelect(const QColor &colour)
{
    setColours([&](DatasetModel::Colours &c) { c.select = colour; });
}

void TSrDBGrid::setColorSelectText(const QColor &colour)
{
    setColours([&](DatasetModel::Colours &c) { c.selectText = colour; });
}

void TSrDBGrid::setTextColourHook(std::function<QColor(int)> hook)
{
    m_textColour = std::move(hook);
    if (m_model)
        m_model->setTextColourHook(m_textColour);
}

void TSrDBGrid::setMarkedColumn(int column)
{
    m_markedColumn = column;
    if (m_model)
        m_model->setMarkedColumn(column);
}

int TSrDBGrid::markedColumn() const
{
    return m_markedColumn;
}

int TSrDBGrid::rowsPerPage() const
{
    return std::max(1, viewport()->height() / kRowHeight);
}

// ---------------------------------------------------------------- keys and mouse

void TSrDBGrid::keyPressEvent(QKeyEvent *event)
{
    Dataset *d = dataset();
    if (!d || !d->isOpen()) {
        QTableView::keyPressEvent(event);
        return;
    }
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        d->prior();
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        d->next();
        break;
    case Qt::Key_PageUp:
        d->moveBy(-rowsPerPage());
        break;
    case Qt::Key_PageDown:
        d->moveBy(rowsPerPage());
        break;
    case Qt::Key_Home:
        d->first();
        break;
    case Qt::Key_End:
        d->last();
        break;
    case Qt::Key_Insert:
        break; // the grid adds no rows
    case Qt::Key_Delete:
        if (ctrl)
            deleteCurrentRow();
        break;
    default:
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TSrDBGrid::deleteCurrentRow()
{
    Dataset *d = dataset();
    if (!messages::okCancel(this, QStringLiteral("Doğrula"), QStringLiteral("Delete record?")))
        return;
    if (m_deleteCheck && !m_deleteCheck())
        return;
    d->remove();
}

void TSrDBGrid::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    Dataset *d = dataset();
    if (index.isValid() && d && d->isOpen())
        d->setRecNo(index.row() + 1);
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::RightButton)
        QTableView::mousePressEvent(event);
    event->accept();
}

void TSrDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (indexAt(event->position().toPoint()).isValid() && event->button() == Qt::LeftButton)
        Q_EMIT recordDoubleClicked();
    event->accept();
}

void TSrDBGrid::wheelEvent(QWheelEvent *event)
{
    const int notches = event->angleDelta().y() / 120;
    Dataset *d = dataset();
    if (notches == 0 || !d || !d->isOpen()) {
        event->ignore();
        return;
    }
    if (!m_wheelHook || !m_wheelHook(notches))
        d->moveBy(-notches * m_moveByRows); // towards the user moves forward
    event->accept();
}

void TSrDBGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    followCurrentRow();
}
