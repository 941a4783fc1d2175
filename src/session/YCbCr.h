#pragma once

// Y'CbCr and R'G'B' of one sample, as decoders, players and FFmpeg's scaler relate them. Code
// values are on the 8-bit scale (0...255, fractions allowed, whatever the bit depth of the
// source); R'G'B' values are in 0...1.

namespace kinoloom {

enum class YCbCrMatrix { bt601, bt709, bt2020 };

// The matrix a picture is taken to use when its file names none: BT.709 for HD and larger,
// BT.601 below, as players decide.
inline YCbCrMatrix assumedMatrix(int width, int height)
{
    return width > 1024 || height > 576 ? YCbCrMatrix::bt709 : YCbCrMatrix::bt601;
}

struct YCbCrCoding
{
    YCbCrMatrix matrix = YCbCrMatrix::bt709;
    // Full range ("JPEG"): luma 0...255; limited ("video"): luma 16...235, chroma 16...240.
    bool fullRange = false;
};

struct YCbCrSample
{
    double y = 0;
    double cb = 128;
    double cr = 128;
};

struct RGBSample
{
    double red = 0;
    double green = 0;
    double blue = 0;
};

// One coding's conversion both ways, its coefficients worked out once. R'G'B' is not clipped:
// a Y'CbCr sample may lie outside the RGB cube, and going there and back must not lose it.
class YCbCrConversion
{
public:
    explicit YCbCrConversion(YCbCrCoding coding)
    {
        double kr = 0.299;
        double kb = 0.114;
        if (coding.matrix == YCbCrMatrix::bt709) {
            kr = 0.2126;
            kb = 0.0722;
        } else if (coding.matrix == YCbCrMatrix::bt2020) {
            kr = 0.2627;
            kb = 0.0593;
        }
        m_kr = kr;
        m_kb = kb;
        m_kg = 1 - kr - kb;
        m_lumaScale = coding.fullRange ? 255 : 219;
        m_lumaOffset = coding.fullRange ? 0 : 16;
        m_chromaScale = coding.fullRange ? 255 : 224;
    }

    RGBSample toRGB(const YCbCrSample &sample) const
    {
        const double y = (sample.y - m_lumaOffset) / m_lumaScale;
        const double pb = (sample.cb - 128) / m_chromaScale;
        const double pr = (sample.cr - 128) / m_chromaScale;
        const double red = y + 2 * (1 - m_kr) * pr;
        const double blue = y + 2 * (1 - m_kb) * pb;
        const double green = (y - m_kr * red - m_kb * blue) / m_kg;
        return {red, green, blue};
    }

    YCbCrSample toYCbCr(const RGBSample &sample) const
    {
        const double y = m_kr * sample.red + m_kg * sample.green + m_kb * sample.blue;
        const double pb = (sample.blue - y) / (2 * (1 - m_kb));
        const double pr = (sample.red - y) / (2 * (1 - m_kr));
        return {m_lumaOffset + m_lumaScale * y, 128 + m_chromaScale * pb, 128 + m_chromaScale * pr};
    }

private:
    double m_kr = 0;
    double m_kg = 0;
    double m_kb = 0;
    double m_lumaScale = 219;
    double m_lumaOffset = 16;
    double m_chromaScale = 224;
};

} // namespace kinoloom
