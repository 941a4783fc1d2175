#include "session/RowBands.h"

#include <QList>
#include <QThread>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>

namespace kinoloom {

void inRowBands(int rows, const std::function<void(int first, int end)> &work)
{
    constexpr int smallestBand = 32;
    const int bands = std::clamp(rows / smallestBand, 1, std::max(QThread::idealThreadCount(), 1));
    if (bands == 1) {
        work(0, rows);
        return;
    }
    QList<int> indices(bands);
    for (int band = 0; band < bands; ++band)
        indices[band] = band;
    QtConcurrent::blockingMap(indices, [&](const int &band) { work(rows * band / bands, rows * (band + 1) / bands); });
}

} // namespace kinoloom
