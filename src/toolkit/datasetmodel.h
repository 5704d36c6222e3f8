#pragma once

#include "data/dataset.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QPointer>
#include <functional>

struct GridColumn {
    QString field;
    QString title;
    int width = 100;
};

// Item model over a Dataset for the list grids: one row per record of the dataset's view,
// one column per listed field. Cells are read on demand from the dataset's rows, so 100,000
// staff cost nothing until they are painted. The colours of the list grid are applied here.
class DatasetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    DatasetModel(Dataset *dataset, const QList<GridColumn> &columns, QObject *parent = nullptr);

    Dataset *dataset() const { return m_dataset; }
    const QList<GridColumn> &columns() const { return m_columns; }
    int columnOfField(const QString &field) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    struct Colours {
        QColor background{214, 223, 247};
        QColor alternative{227, 234, 249};
        QColor select{Qt::white};
        QColor selectText{Qt::red};
        QColor title{192, 192, 192};
        QColor markedTitle{128, 128, 128};
    };
    const Colours &colours() const { return m_colours; }
    void setColours(const Colours &colours);

    // The owner's cell hook: the text colour of a row (by view row), or an invalid colour
    // to keep the grid's black.
    void setTextColourHook(std::function<QColor(int row)> hook);

    // The column whose title carries the sort mark: bold on grey; -1 for none.
    void setMarkedColumn(int column);
    int markedColumn() const { return m_marked; }

private:
    void reset();
    void currentMoved(int row);

    QPointer<Dataset> m_dataset;
    QList<GridColumn> m_columns;
    std::vector<int> m_fieldIndex;
    Colours m_colours;
    std::function<QColor(int)> m_textColour;
    int m_marked = -1;
    int m_current = -1;
};
