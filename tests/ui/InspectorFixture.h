#pragma once

#include "RecordingDesktop.h"
#include "UiTestSupport.h"
#include "fixture/StudioFixture.h"
#include "support/MediaFixtures.h"
#include "ui/inspector/InspectorView.h"
#include "ui/shell/ValueSlider.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace kinoloom::test {

// A real session with a project "Film" holding generated clips, and the inspector column over
// it with recorded services: the folders it opened, and a hardware encoder that works or not.
struct InspectorFixture : StudioFixture
{
    // Made once for the whole test program.
    static const MediaFixtures &sharedMedia()
    {
        static QTemporaryDir folder;
        static const MediaFixtures made(folder.path());
        return made;
    }
    const MediaFixtures &media = sharedMedia();
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    bool hardwareWorks = false;
    std::unique_ptr<InspectorView> view;

    QUuid video, silent, still, end;

    // Opens the project and adds a video with sound, a silent video, a still and an end clip,
    // all real files.
    void openWithClips()
    {
        openProject();
        QVERIFY(!media.clip().isEmpty() && !media.silentClip().isEmpty() && !media.still().isEmpty());
        video = add(MediaAsset::create(media.clip(), QStringLiteral("Beach"), 2, 320, 180, 30, true, false));
        silent = add(MediaAsset::create(media.silentClip(), QStringLiteral("Quiet"), 2, 320, 180, 30, false, false));
        still = add(MediaAsset::create(media.still(), QStringLiteral("Poster"), 0, 320, 180, 0, false, true));
        MediaAsset last = MediaAsset::create(media.clip(), QStringLiteral("Sunset"), 2, 320, 180, 30, true, false);
        last.role = ClipRole::outro;
        end = add(last);
    }

    QUuid add(const MediaAsset &asset)
    {
        model->editProject([&asset](StudioProject &project) { project.assets.append(asset); });
        return asset.id;
    }

    void makeView()
    {
        InspectorServices services;
        services.desktop = desktop;
        services.hardwareEncoderWorks = [this](const QString &) { return hardwareWorks; };
        view = std::make_unique<InspectorView>(model.get(), services);
        view->resize(360, 900);
        settle();
        QTRY_VERIFY(view->hardwareEncoders()->answered());
        settle();
    }

    void stage(Workspace workspace)
    {
        model->setWorkspace(workspace);
        settle();
    }

    void select(const std::optional<QUuid> &id)
    {
        model->setSelection(id);
        settle();
    }

    template <typename T>
    T *find(const QString &name) const
    {
        return view->findChild<T *>(name);
    }

    // Whether the widget would be seen were the column on screen.
    bool shown(const QWidget *widget) const { return widget && widget->isVisibleTo(view.get()); }

    // A user's move of the slider to `value` (within its range).
    void move(ValueSlider *slider, double value, double lower, double upper)
    {
        QSlider *bar = slider->slider();
        bar->setValue(int(std::lround((value - lower) / (upper - lower) * bar->maximum())));
        settle();
    }

    // A user's choice in a pop-up.
    void choose(QComboBox *box, int index)
    {
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
        settle();
    }

    void click(QAbstractButton *button)
    {
        button->click();
        settle();
    }

    MediaAsset clip(const QUuid &id) const
    {
        for (const MediaAsset &asset : model->project().assets) {
            if (asset.id == id)
                return asset;
        }
        return {};
    }
    const ProcessingSettings &settings() const { return model->project().settings; }
};

} // namespace kinoloom::test
