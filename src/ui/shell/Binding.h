#pragma once

#include <functional>

namespace kinoloom {

// A two-way binding to a value the caller owns: the view reads through `get` whenever it shows
// the value and writes every change through `set`.
template <typename T>
struct Binding
{
    std::function<T()> get;
    std::function<void(const T &)> set;

    // Binds to a variable that outlives the view.
    static Binding to(T &variable)
    {
        return {[&variable] { return variable; }, [&variable](const T &value) { variable = value; }};
    }
};

} // namespace kinoloom
