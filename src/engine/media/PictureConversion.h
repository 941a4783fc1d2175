#pragma once

// What a clip's picture needs before any other filter sees it. Everything made from a clip
// (segments, prepared intermediates, thumbnails) starts from progressive SDR BT.709 pictures, so
// that an interlaced camera clip shows no combing and an HDR phone clip is not grey and washed out.

#include "engine/media/ProbeResult.h"

#include <QString>

namespace kinoloom::PictureConversion {

// One picture per frame from the two fields of an interlaced picture, in the field order the
// probe reports; empty for a progressive picture.
QString deinterlace(const ProbeResult &probe);

// A PQ or HLG picture brought to limited-range SDR BT.709 in 4:4:4 at 16 bits: to linear light
// with the SDR reference white at 100 cd/m² (zscale's own), into BT.709 primaries, through a tone
// map that keeps what lies below 90 % of that white and rolls brighter highlights off into it,
// and back. Empty for an SDR picture.
QString toneMap(const ProbeResult &probe);

// Both, deinterlacing first, joined by commas; empty when the picture needs neither.
QString filters(const ProbeResult &probe);

// The Y'CbCr matrix of the picture after `filters`, as ffprobe names it: "bt709" once tone
// mapped, otherwise the one the source declares (empty: none).
QString colourSpaceAfter(const ProbeResult &probe);

} // namespace kinoloom::PictureConversion
