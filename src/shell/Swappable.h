// A function of the program that a test can replace: a desktop dialog that picks files or
// folders, which tests answer instead.
#pragma once

#include <functional>
#include <utility>

template <class Signature>
class TSwappable {
public:
    explicit TSwappable(std::function<Signature> standard)
        : standard_(standard), current_(std::move(standard)) {}

    // Puts `replacement` in place (an empty function: the standard one again) and returns the
    // function set before.
    std::function<Signature> Set(std::function<Signature> replacement) {
        std::function<Signature> previous = std::move(current_);
        current_ = replacement ? std::move(replacement) : standard_;
        return previous;
    }

    template <class... Args>
    auto operator()(Args&&... args) const {
        return current_(std::forward<Args>(args)...);
    }

private:
    std::function<Signature> standard_, current_;
};
