// The Media stage of a large project: a project of 1,000 clips, each with a thumbnail file of its
// own (320x180 JPEG), is activated in a session and its media browser shown offscreen at
// 1000 x 700; the time runs until the browser's grid has painted the first time. Then the grid is
// scrolled from top to bottom one viewport at a time, each step painted at once. Prints the
// times measured in one run.

#include "fixture/StudioHome.h"
#include "model/ProjectStore.h"
#include "session/StudioModel.h"
#include "ui/media/MediaBrowser.h"
#include "ui/media/MediaTile.h"
#include "ui/media/TileGrid.h"
#include "ui/shell/StudioPalette.h"
#include "ui/shell/StudioProxyStyle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>

using namespace kinoloom;

namespace {

constexpr int clipCount = 1000;

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Notes the first paint of any widget inside the grid's viewport.
class FirstPaint : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

QImage thumbnail(int index)
{
    QImage image(320, 180, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 320, 180);
    gradient.setColorAt(0, QColor::fromHsv(index * 37 % 360, 160, 200));
    gradient.setColorAt(1, QColor::fromHsv(index * 71 % 360, 200, 90));
    painter.fillRect(image.rect(), gradient);
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(new StudioProxyStyle);
    QApplication::setPalette(StudioPalette::light());

    test::StudioHome home;
    const QString folder = home.createProject(QStringLiteral("Large"));
    StudioProject project = ProjectStore::open(folder);
    const QString source = folder + QStringLiteral("/source.mp4");
    QFile file(source);
    file.open(QIODevice::WriteOnly);
    file.write("not read");
    file.close();
    for (int i = 0; i < clipCount; ++i) {
        MediaAsset asset = MediaAsset::create(i % 10 == 9 ? folder + QStringLiteral("/gone.mp4") : source,
                                              QStringLiteral("Clip %1.mp4").arg(i, 4, 10, QLatin1Char('0')),
                                              2.0 + i % 90, 320, 180, 30, true, i % 7 == 0);
        asset.thumbnail = folder + QStringLiteral("/Cache/%1.jpg").arg(asset.id.toString(QUuid::WithoutBraces));
        thumbnail(i).save(*asset.thumbnail, "JPEG", 85);
        project.assets.append(asset);
    }
    ProjectStore::save(project, folder);

    StudioModel model(home.environment());
    std::printf("Media stage of %d clips with thumbnails (offscreen, 1000 x 700)\n", clipCount);

    QElapsedTimer timer;
    timer.start();
    model.activate(ProjectStore::open(folder), folder);
    const double activated = milliseconds(timer);
    MediaBrowser browser(&model, {});
    FirstPaint firstPaint;
    browser.grid()->viewport()->installEventFilter(&firstPaint);
    browser.resize(1000, 700);
    browser.show();
    while (!firstPaint.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double shown = milliseconds(timer);
    std::printf("  %-50s %10.3f ms\n", "activate the project", activated);
    std::printf("  %-50s %10.3f ms\n", "activate to the first painted Media stage", shown);

    QScrollBar *bar = browser.grid()->verticalScrollBar();
    const int step = browser.grid()->viewport()->height();
    double longest = 0;
    int steps = 0;
    timer.restart();
    for (int value = 0; value <= bar->maximum(); value += step) {
        QElapsedTimer each;
        each.start();
        bar->setValue(value);
        browser.grid()->viewport()->repaint();
        longest = std::max(longest, milliseconds(each));
        ++steps;
    }
    const double scrolled = milliseconds(timer);
    std::printf("  %-50s %10.3f ms\n", "one scroll through the grid", scrolled);
    std::printf("  %-50s %10d\n", "  viewport steps", steps);
    std::printf("  %-50s %10.3f ms\n", "  longest step", longest);
    std::printf("  %-50s %10.3f ms\n", "  mean step", scrolled / std::max(steps, 1));

    // A change of the selection updates the tiles in place.
    model.selectAsset(model.project().assets.at(500).id);
    timer.restart();
    browser.refresh();
    std::printf("  %-50s %10.3f ms\n", "browser refresh after a selection", milliseconds(timer));
    // A search hides tiles without making new ones; clearing it shows them again.
    timer.restart();
    browser.setSearch(QStringLiteral("Clip 05"));
    browser.refresh();
    browser.setSearch(QString());
    browser.refresh();
    std::printf("  %-50s %10.3f ms\n", "search and clear it", milliseconds(timer));
    return 0;
}
