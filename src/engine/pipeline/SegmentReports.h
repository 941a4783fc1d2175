#pragma once

#include "engine/pipeline/ProgressBand.h"

#include <QList>
#include <QString>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace kinoloom {

// What the segments of one render report while several of them render at once, passed on as if
// they rendered one after another: stages and log lines reach the render's own callbacks in
// segment order (those of a later segment wait until every earlier one has finished), while the
// overall progress is every segment's share of `band` by its length, summed, and passed on only
// when it grows.
//
// The callbacks it hands out may be called from any thread; it calls the render's callbacks under
// its own lock, one at a time.
class SegmentReports
{
public:
    using Update = std::function<void(const QString &stage, std::optional<double> fraction)>;
    using Log = std::function<void(const QString &line)>;

    // `lengths` holds every segment's length in render order; `total` is what the whole band
    // stands for (at least their sum).
    SegmentReports(Update update, Log log, std::function<void(double)> overall, ProgressBand band,
                   QList<double> lengths, double total);

    // The callbacks of segment `position`.
    Update update(int position);
    Log log(int position);
    std::function<void(double)> progress(int position);

    // Segment `position` is done: what the segments after it held back moves up.
    void finished(int position);
    // The render stops at segment `position`: what it and the segments before it held back is
    // passed on in order, what later segments held back is dropped.
    void stoppedAt(int position);

private:
    struct Report
    {
        bool isLog = false;
        QString text;
        std::optional<double> fraction;
    };

    void report(int position, Report report);
    void pass(const Report &report);
    void release(int position);

    const Update m_update;
    const Log m_log;
    const std::function<void(double)> m_overall;
    const ProgressBand m_band;
    const QList<double> m_lengths;
    const double m_total;

    std::mutex m_lock; // guards everything below
    int m_front = 0; // the first segment not finished: its reports pass at once
    std::vector<std::vector<Report>> m_held;
    std::vector<bool> m_finished;
    std::vector<double> m_done; // each segment's own fraction
    double m_reported = 0;
};

} // namespace kinoloom
