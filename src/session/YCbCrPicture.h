#pragma once

#include "session/YCbCr.h"

#include <QImage>
#include <QSize>

namespace kinoloom {

// A decoded picture in Y'CbCr as a decoder lays it out (planar, semi-planar or packed, 8 or 16
// bits a sample), turned into an RGB image by our own code. Players hand such pictures over;
// converting them here instead of through the player's own conversion keeps every layout safe
// (Qt 6.4 crashes on some 4:2:2 frames) and the colour matrix the one the frame carries.
struct YCbCrPicture
{
    // Where one component's samples lie. No data: the component is at its mid value (the chroma
    // of a grey picture).
    struct Samples
    {
        const uchar *data = nullptr;
        qsizetype stride = 0; // bytes from one row to the next
        int step = 1; // bytes from one sample to the next in a row
    };

    QSize size; // of the luma plane
    Samples luma;
    Samples blue; // Cb
    Samples red; // Cr
    int chromaShiftX = 0; // chroma width = luma width >> shift (1 for 4:2:0 and 4:2:2)
    int chromaShiftY = 0; // 1 for 4:2:0
    int sampleBytes = 1; // 1, or 2 for native-endian 16-bit samples
    // What a sample is divided by to reach the 8-bit scale: 4 for 10 bits in the low bits of a
    // 16-bit sample, 256 for a sample that fills 16 bits (or holds its bits at the top).
    double sampleScale = 1;
    YCbCrCoding coding;
    // How the picture is turned for showing: mirrored about its vertical axis, then rotated
    // clockwise by 0, 90, 180 or 270 degrees (a phone's portrait clip is stored on its side).
    bool mirrored = false;
    int rotation = 0;

    // An opaque RGB32 image of the picture, turned for showing. Chroma is interpolated between its
    // samples, which sit with the even luma columns and, for 4:2:0, midway between two luma rows.
    QImage toImage() const;
    // The same in floating point (RGBX32FPx4) with values outside 0...1 kept, for grading: a
    // grade that goes back to Y'CbCr then starts from the values the decoder gave.
    QImage toUnclippedImage() const;
};

} // namespace kinoloom
