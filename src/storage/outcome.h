#pragma once
// How an operation of the catalogue library that can fail has ended: done,
// or failed with a kind and a reason in words. The kind is for programs (a
// window words the failure in its own language from it); the reason, in
// English, is for people reading a log or a command's output. Nothing the
// library does throws out of its calls; every failure comes back in this
// shape.
#include <string>

namespace pumpsel {

enum class Failure {
    None,
    Missing,       // the file's folder does not exist
    NotAFile,      // a folder or device stands where the file should be
    ReadOnly,      // the file, or its folder, may not be written
    LinkLeadsOut,  // the file is a link to a place outside its folder
    Locked,        // another program kept the file locked for the whole wait
    TooLarge,      // the file is larger than the library reads
    NoMemory,
    NotEncodable,  // text the file's encoding cannot hold; the reason names the character
    System,        // anything else the system refused; the reason says what
};

struct Outcome {
    bool ok = true;
    Failure failure = Failure::None;
    std::string reason;  // why it failed, empty when done

    explicit operator bool() const { return ok; }
    static Outcome done() { return {}; }
    static Outcome failed(std::string reason, Failure failure = Failure::System) {
        return {false, failure, std::move(reason)};
    }
};

}  // namespace pumpsel
