#include "engine/pipeline/CompleteFile.h"

#include <QFile>

#include <optional>

namespace kinoloom {

namespace {

struct VariableInteger
{
    quint64 value = 0;
    int length = 0;
    bool unknown = false; // all value bits set: "size not known"
};

// An EBML variable-length integer at `offset`: element IDs keep their length marker, sizes drop it.
std::optional<VariableInteger> readVariableInteger(const QByteArray &bytes, qsizetype offset, bool keepMarker)
{
    if (offset >= bytes.size())
        return std::nullopt;
    const auto first = quint8(bytes.at(offset));
    int length = 1;
    quint8 marker = 0x80;
    while (length <= 8 && !(first & marker)) {
        ++length;
        marker >>= 1;
    }
    if (length > 8 || offset + length > bytes.size())
        return std::nullopt;
    VariableInteger result;
    result.length = length;
    const quint8 valueBits = quint8(marker - 1);
    result.value = keepMarker ? first : (first & valueBits);
    result.unknown = (first & valueBits) == valueBits;
    for (int i = 1; i < length; ++i) {
        const auto byte = quint8(bytes.at(offset + i));
        result.value = (result.value << 8) | byte;
        result.unknown = result.unknown && byte == 0xff;
    }
    return result;
}

} // namespace

bool completeMatroska(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 fileSize = file.size();
    const QByteArray head = file.read(4096);
    constexpr quint64 ebmlHeader = 0x1A45DFA3;
    constexpr quint64 segment = 0x18538067;

    qsizetype offset = 0;
    bool first = true;
    while (offset < head.size()) {
        const std::optional<VariableInteger> id = readVariableInteger(head, offset, true);
        if (!id)
            return false;
        const std::optional<VariableInteger> size = readVariableInteger(head, offset + id->length, false);
        if (!size || size->unknown)
            return false;
        if (first && id->value != ebmlHeader)
            return false;
        first = false;
        const qint64 dataStart = offset + id->length + size->length;
        if (id->value == segment)
            return size->value <= quint64(fileSize - dataStart);
        if (size->value > quint64(head.size()))
            return false;
        offset = dataStart + qsizetype(size->value);
    }
    return false;
}

bool completePng(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    static const QByteArray end("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    if (file.size() < signature.size() + end.size() || file.read(signature.size()) != signature)
        return false;
    return file.seek(file.size() - end.size()) && file.read(end.size()) == end;
}

} // namespace kinoloom
