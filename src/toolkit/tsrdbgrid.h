#pragma once

#include "datasetmodel.h"

#include <QTableView>
#include <functional>

// The program's list grid: shows, never edits, the rows of a dataset. The current row of
// the dataset is the grid's selected row in both directions; rows alternate in colour by
// record number and the selected row has colours of its own.
class TSrDBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TSrDBGrid(QWidget *parent = nullptr);

    void setDataset(Dataset *dataset, const QList<GridColumn> &columns);
    // A grid whose title clicks sort it shows the pointing hand over its titles.
    void setTitlesSort(bool sort);
    Dataset *dataset() const;
    DatasetModel *datasetModel() const { return m_model; }

    QColor background() const;
    QColor colorAlternative() const;
    QColor colorSelect() const;
    QColor colorSelectText() const;
    void setBackground(const QColor &colour);
    void setColorAlternative(const QColor &colour);
    void setColorSelect(const QColor &colour);
    void setColorSelectText(const QColor &colour);
    int moveByRows() const { return m_moveByRows; }
    void setMoveByRows(int rows) { m_moveByRows = rows; }

    // The owner's cell hook: text colour of a row.
    void setTextColourHook(std::function<QColor(int row)> hook);
    // Asked before Ctrl+Delete removes a row; false keeps it.
    void setDeleteCheck(std::function<bool()> check) { m_deleteCheck = std::move(check); }
    // The owner's wheel hook: true when it handled the notch itself.
    void setWheelHook(std::function<bool(int notches)> hook) { m_wheelHook = std::move(hook); }

    void setMarkedColumn(int column);
    int markedColumn() const;
    int rowsPerPage() const;

Q_SIGNALS:
    void titleClicked(int column);
    void columnWidthChanged(int column, int width);
    void recordDoubleClicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void followCurrentRow();
    void deleteCurrentRow();
    void setColours(const std::function<void(DatasetModel::Colours &)> &change);

    DatasetModel *m_model = nullptr;
    DatasetModel::Colours m_colours;
    int m_moveByRows = 1;
    std::function<QColor(int)> m_textColour;
    std::function<bool()> m_deleteCheck;
    std::function<bool(int)> m_wheelHook;
    int m_markedColumn = -1;
};
