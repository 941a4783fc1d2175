#pragma once

#include <QString>

#include <functional>

namespace kinoloom {

// Copies `source` to `destination`, which must not exist yet. The bytes go to a file named
// "partial-<destination name>" beside it, in chunks of a megabyte with `checkCancellation`
// called before each, and are synced and renamed into place only when complete, so that no
// half copy ever carries the destination's name. Any failure, or what `checkCancellation`
// throws, removes the partial file; a failure is a FileError that names the source.
// The copy keeps the source's permission bits.
void copyFile(const QString &source, const QString &destination, const std::function<void()> &checkCancellation);

} // namespace kinoloom
