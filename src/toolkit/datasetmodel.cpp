#include "datasetmodel.h"

#include "data/dataset.h"

#include <QFont>

DatasetModel::DatasetModel(Dataset *dataset, const QList<GridColumn> &columns, QObject *parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_columns(columns)
{
    reset();
    connect(dataset, &Dataset::rowsReset, this, [this] {
        beginResetModel();
        reset();
        endResetModel();
    });
    connect(dataset, &Dataset::rowAboutToBeInserted, this,
            [this](int row) { beginInsertRows(QModelIndex(), row, row); });
    connect(dataset, &Dataset::rowInserted, this, [this] { endInsertRows(); });
    connect(dataset, &Dataset::rowAboutToBeRemoved, this, [this](int row) {
        beginRemoveRows(QModelIndex(), row, row);
        if (m_current > row)
            --m_current;
        else if (m_current == row)
            m_current = -1;
    });
    connect(dataset, &Dataset::rowRemoved, this, [this] { endRemoveRows(); });
    connect(dataset, &Dataset::rowUpdated, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(dataset, &Dataset::currentMoved, this, &DatasetModel::currentMoved);
}

void DatasetModel::reset()
{
    // Field positions are looked up once per result, not per painted cell.
    m_fieldIndex.assign(size_t(m_columns.size()), -1);
    if (m_dataset && m_dataset->isOpen())
        for (int c = 0; c < m_columns.size(); ++c)
            m_fieldIndex[size_t(c)] = m_dataset->fieldIndex(m_columns[c].field);
    m_current = m_dataset && !m_dataset->isEmpty() ? m_dataset->recNo() - 1 : -1;
}

void DatasetModel::currentMoved(int row)
{
    const int previous = m_current;
    m_current = row;
    const int last = columnCount() - 1;
    if (previous >= 0 && previous < rowCount() && previous != row)
        Q_EMIT dataChanged(index(previous, 0), index(previous, last));
    if (row >= 0 && row < rowCount())
        Q_EMIT dataChanged(index(row, 0), index(row, last));
}

int DatasetModel::columnOfField(const QString &field) const
{
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].field.compare(field, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_dataset || !m_dataset->isOpen())
        return 0;
    return m_dataset->recordCount();
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_dataset || index.row() >= rowCount())
        return {};
    const int row = index.row();
    const bool current = row == m_current;
    switch (role) {
    case Qt::DisplayRole: {
        const int field = m_fieldIndex[size_t(index.column())];
        return field < 0 ? QVariant() : QVariant(m_dataset->textAt(row, field));
    }
    case Qt::BackgroundRole:
        if (current)
            return m_colours.select;
        // Record numbers start at 1: the first row has the grid's own background.
        return (row + 1) % 2 == 0 ? m_colours.alternative : m_colours.background;
    case Qt::ForegroundRole: {
        if (current)
            return m_colours.selectText;
        QColor colour = m_textColour ? m_textColour(row) : QColor();
        return colour.isValid() ? colour : QColor(Qt::black);
    }
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return m_columns[section].title;
    case Qt::BackgroundRole:
        return section == m_marked ? m_colours.markedTitle : m_colours.title;
    case Qt::FontRole: {
        QFont font;
        font.setBold(section == m_marked);
        return font;
    }
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

void DatasetModel::setColours(const Colours &colours)
{
    m_colours = colours;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void DatasetModel::setTextColourHook(std::function<QColor(int)> hook)
{
    m_textColour = std::move(hook);
}

void DatasetModel::setMarkedColumn(int column)
{
    m_marked = column;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}
