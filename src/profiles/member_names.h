// The member names of parsed documents, each kept once for the life of the
// program.
//
// jsoncpp copies a member's name twice when it adds the member to an object,
// unless it is told the name lives for good (Json::StaticString). A profile
// document repeats a few dozen names thousands of times ("Red", "Blue",
// "Assignment", ...), so the parser takes its names from here.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_map>

namespace vandrel::profiles {

class MemberNames {
public:
    // The pool keeps at most this many names of at most this length; a
    // file of endless distinct names cannot make it grow without end.
    static constexpr std::size_t kMaxNames = 4096;
    static constexpr std::size_t kMaxLength = 64;

    // The kept copy of `name`, NUL-terminated, kept until the program ends;
    // nullptr for a name holding a NUL, a name too long, or a new name once
    // the pool is full.
    static const char* Intern(std::string_view name);
};

// A parser's view of the pool: names it met before cost no lock.
class MemberNameCache {
public:
    const char* Intern(std::string_view name);

private:
    std::unordered_map<std::string_view, const char*> known_;
};

}  // namespace vandrel::profiles
