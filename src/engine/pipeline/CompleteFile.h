#pragma once

// Cheap checks that a file was written to its end. ffprobe reads only the head of a file, so a
// Matroska file cut short (or left by a killed FFmpeg) still probes with its full duration.

#include <QString>

namespace kinoloom {

// The Segment element declares its size (FFmpeg fills it in when it finishes the file) and the
// file holds all of it.
bool completeMatroska(const QString &path);

// The file starts with the PNG signature and ends with the IEND chunk.
bool completePng(const QString &path);

} // namespace kinoloom
