// The text of a JSON value in the format of jsoncpp's StyledWriter, byte for
// byte, written in one pass into one string.
//
// StyledWriter's rules, which this writer keeps: members in the order of the
// value (sorted by name), three spaces per level, "name" : value; an object's
// or array's opening bracket on the line of its member name; an array of
// scalars and empty containers on one line as [ a, b ] when it has fewer than
// 25 elements and that line is shorter than 74 characters, else one element
// per line; '"', '\\', characters below U+0020 and all non-ASCII escaped
// (\n, \t ... or \uXXXX, a surrogate pair above U+FFFF, lower-case hex),
// U+007F as it is; integers as they are, doubles with 17 significant digits
// and ".0" when that shows neither point nor exponent (null, -1e+9999 and
// 1e+9999 for the non-finite); a member name ends at its first NUL; one line
// end after the root.
//
// Comments and text that is not valid UTF-8 are not written here: for a value
// that holds any, Write fails and the caller uses jsoncpp's writer (after the
// repair the file store makes).
#pragma once

#include <json/json.h>

#include <cstring>
#include <string>
#include <string_view>

namespace vandrel::profiles {

// The end of a string written in place: room is made in large steps, so a
// piece costs a copy and no growth check of its own. The string gets its
// final size when the tail goes.
class CTextTail {
public:
    explicit CTextTail(std::string& text) : text_(text), used_(text.size()) {}
    ~CTextTail() { text_.resize(used_); }
    CTextTail(const CTextTail&) = delete;
    CTextTail& operator=(const CTextTail&) = delete;

    void Append(std::string_view piece) { std::memcpy(Room(piece.size()), piece.data(), piece.size()); }
    void Append(char c) { *Room(1) = c; }
    std::size_t Size() const { return used_; }
    char Last() const { return text_[used_ - 1]; }
    // Drops what was written after `size`.
    void CutTo(std::size_t size) { used_ = size; }

private:
    char* Room(std::size_t size) {
        if (text_.size() - used_ < size) Grow(size);
        char* at = text_.data() + used_;
        used_ += size;
        return at;
    }
    void Grow(std::size_t size);

    std::string& text_;
    std::size_t used_;
};

class CStyledJsonWriter {
public:
    // Writes at the end of `out`.
    explicit CStyledJsonWriter(std::string& out);

    // Appends the text of `value`; false (and part of the text appended) when
    // the value holds a comment or broken UTF-8. Once per writer.
    bool Write(const Json::Value& value);

private:
    bool WriteValue(const Json::Value& value);
    bool WriteObject(const Json::Value& object);
    bool WriteArray(const Json::Value& array);
    // The array on one line when StyledWriter would put it there.
    bool TryOneLine(const Json::Value& array, bool& fits);
    bool WriteQuoted(std::string_view text);
    void WriteDouble(double value);
    template <typename Integer>
    void WriteInteger(Integer value);
    void WriteIndent();
    void Indent();
    void Unindent();

    CTextTail out_;
    const std::size_t start_;
    std::size_t indent_ = 0;  // spaces
};

}  // namespace vandrel::profiles
