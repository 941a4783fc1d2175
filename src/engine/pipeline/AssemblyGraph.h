#pragma once

#include <QString>

namespace kinoloom {

// The filter graph that finishes an output: the optional hook opening dissolving into the film,
// the picture scaled to the output frame with square pixels under the title card, and the music
// mixed with the clips' own sound, both faded, into 48 kHz stereo whatever the music is.
struct AssemblyGraph
{
    bool hookOpening = false; // inputs 0 (hooks) and 1 (film) instead of 0 (film)
    double crossfade = 0;
    double offset = 0;
    int musicInput = 1;
    int titlesInput = 2;
    int width = 0;
    int height = 0;
    double audioLength = 0;
    double fade = 0;
    double fadeOutStart = 0;
    bool fadeTitles = true; // a Short shows its card throughout
    bool fadeInSource = false; // the film opens with an intro
    double volume = 1; // of the clips' own sound
    QString pictureTail; // filters after the overlay, e.g. an upload to the hardware encoder
    // The title artwork's input is one picture, which the graph repeats: an input that repeats
    // it decodes the whole-frame PNG again for every frame of the film.
    bool titlesRepeatedInGraph = true;

    bool operator==(const AssemblyGraph &) const = default;

    QString text() const;
};

} // namespace kinoloom
