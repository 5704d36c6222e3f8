#pragma once

#include "data/progress.h"

#include <QList>
#include <functional>
#include <utility>

// Keeps every (done, total) the work tells of, and goes on while `goOn` says so.
class RecordingProgress : public Progress
{
public:
    explicit RecordingProgress(std::function<bool(int done, int total)> goOn = {})
        : m_goOn(std::move(goOn))
    {
    }
    void begin(const QString &, int total) override { m_total = total; }
    void advance(int done) override { reports.append({done, m_total}); }
    bool proceed() override
    {
        return !m_goOn || reports.isEmpty() || m_goOn(reports.back().first, m_total);
    }

    QList<std::pair<int, int>> reports;
    QList<int> done() const
    {
        QList<int> values;
        for (const auto &report : reports)
            values << report.first;
        return values;
    }

private:
    std::function<bool(int, int)> m_goOn;
    int m_total = 0;
};
