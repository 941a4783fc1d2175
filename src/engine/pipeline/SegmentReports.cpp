#include "engine/pipeline/SegmentReports.h"

#include <algorithm>

namespace kinoloom {

SegmentReports::SegmentReports(Update update, Log log, std::function<void(double)> overall, ProgressBand band,
                               QList<double> lengths, double total)
    : m_update(std::move(update))
    , m_log(std::move(log))
    , m_overall(std::move(overall))
    , m_band(band)
    , m_lengths(std::move(lengths))
    , m_total(total > 0 ? total : 1.0)
    , m_held(size_t(m_lengths.size()))
    , m_finished(size_t(m_lengths.size()), false)
    , m_done(size_t(m_lengths.size()), 0.0)
{
}

SegmentReports::Update SegmentReports::update(int position)
{
    return [this, position](const QString &stage, std::optional<double> fraction) {
        report(position, {false, stage, fraction});
    };
}

SegmentReports::Log SegmentReports::log(int position)
{
    return [this, position](const QString &line) { report(position, {true, line, std::nullopt}); };
}

std::function<void(double)> SegmentReports::progress(int position)
{
    return [this, position](double fraction) {
        const double clamped = fraction >= 0 ? std::min(fraction, 1.0) : 0.0; // NaN too
        const std::lock_guard guard(m_lock);
        m_done[size_t(position)] = std::max(m_done[size_t(position)], clamped);
        double sum = 0;
        for (qsizetype i = 0; i < m_lengths.size(); ++i)
            sum += m_lengths.at(i) * m_done[size_t(i)];
        const double overall = m_band.at(sum / m_total);
        if (overall <= m_reported)
            return;
        m_reported = overall;
        m_overall(overall);
    };
}

void SegmentReports::report(int position, Report report)
{
    const std::lock_guard guard(m_lock);
    if (position == m_front) {
        pass(report);
        return;
    }
    std::vector<Report> &held = m_held[size_t(position)];
    // Only the last fraction of a held stage is worth passing on; its announcement stays.
    if (report.fraction && !held.empty() && !held.back().isLog && held.back().fraction
        && held.back().text == report.text)
        held.back() = std::move(report);
    else
        held.push_back(std::move(report));
}

void SegmentReports::pass(const Report &report)
{
    if (report.isLog)
        m_log(report.text);
    else
        m_update(report.text, report.fraction);
}

void SegmentReports::release(int position)
{
    std::vector<Report> held;
    held.swap(m_held[size_t(position)]);
    for (const Report &report : held)
        pass(report);
}

void SegmentReports::finished(int position)
{
    const std::lock_guard guard(m_lock);
    m_finished[size_t(position)] = true;
    const int count = int(m_finished.size());
    while (m_front < count && m_finished[size_t(m_front)]) {
        ++m_front;
        if (m_front < count)
            release(m_front);
    }
}

void SegmentReports::stoppedAt(int position)
{
    const std::lock_guard guard(m_lock);
    for (int later = m_front + 1; later <= position && later < int(m_held.size()); ++later)
        release(later);
    m_front = int(m_held.size()); // nothing more passes
    for (std::vector<Report> &held : m_held)
        held.clear();
}

} // namespace kinoloom
