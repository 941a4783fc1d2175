#pragma once

namespace kinoloom {

// A closed range of seconds, start ≤ end.
struct SecondsRange
{
    double start = 0;
    double end = 0;

    double length() const { return end - start; }
    bool operator==(const SecondsRange &) const = default;
};

} // namespace kinoloom
