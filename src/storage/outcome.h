#pragma once
// How an operation of the catalogue library that can fail has ended: done,
// or failed with a reason in words. Nothing the library does throws out of
// its calls; every failure comes back in this shape.
#include <string>

namespace pumpsel {

struct Outcome {
    bool ok = true;
    std::string reason;  // why it failed, empty when done

    explicit operator bool() const { return ok; }
    static Outcome done() { return {}; }
    static Outcome failed(std::string reason) { return {false, std::move(reason)}; }
};

}  // namespace pumpsel
