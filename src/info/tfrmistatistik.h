#pragma once

#include <QDialog>

class Database;
class Dataset;
class PieChartView;
class QPushButton;
class SharedQueries;

// "  Sendikalar İstatistiği": how the staff are spread over the unions, one pie slice for each
// union text as it is stored. Made for each use and freed after it: the staff are counted when
// the window is created, so every opening shows them as they are then.
class TFrmIstatistik : public QDialog
{
    Q_OBJECT
public:
    // Creates the window, shows it modally over `parent` and frees it. When the staff cannot
    // be counted the error box says why and no window comes up.
    static void execute(SharedQueries *data, QWidget *parent);

    // Counts the staff per union; throws DbError.
    TFrmIstatistik(Database &connection, QWidget *parent);
    ~TFrmIstatistik() override;

    // Fills the chart from the counts: one slice per row, in the order the rows come.
    void FormShow();
    void BitBtn1Click();
    // Asks where to save the chart, then saves it as a PNG image.
    void BtnKaydetClick();
    // False with the reason when the image cannot be written.
    bool saveChart(const QString &path, QString *error) const;

    PieChartView *chartView() const { return m_chart; }
    Dataset *query() const { return m_query; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    Dataset *m_query;
    PieChartView *m_chart;
};
