#include "profiles/plain_json_parser.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "profiles/member_names.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {
namespace {

// jsoncpp's reader gives up on a value this deep (its stack limit).
constexpr int kMaxDepth = 1000;
// Array elements up to this height are made as copies of the one before.
constexpr int kMaxCopiedHeight = 2;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class PlainJsonParser {
public:
    explicit PlainJsonParser(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

    bool Parse(Json::Value& root) {
        SkipSpace();
        if (!ParseValue(root, 0)) return false;
        SkipSpace();
        return p_ == end_;
    }

private:
    // Values are put in place with swapPayload: it leaves out the comments
    // and offsets a full swap also exchanges.
    static void Put(Json::Value& out, Json::Value value) { out.swapPayload(value); }

    // Every Parse function leaves in height_ the height of what it read: 0
    // for a scalar, 1 for a container of scalars, and so on.
    bool ParseValue(Json::Value& out, int depth) {
        if (depth >= kMaxDepth || p_ == end_) return false;
        height_ = 0;
        switch (*p_) {
            case '{': return ParseObject(out, depth);
            case '[': return ParseArray(out, depth);
            case '"': {
                std::string_view text;
                if (!ParseString(text)) return false;
                Put(out, Json::Value(text.data(), text.data() + text.size()));
                return true;
            }
            case 't': return ParseWord("true", Json::Value(true), out);
            case 'f': return ParseWord("false", Json::Value(false), out);
            case 'n': return ParseWord("null", Json::Value(), out);
            default: return ParseNumber(out);
        }
    }

    bool ParseObject(Json::Value& out, int depth) {
        ++p_;
        Put(out, Json::Value(Json::objectValue));
        SkipSpace();
        int height = 0;
        if (Take('}')) return Finish(height);
        for (;;) {
            std::string_view name;
            if (p_ == end_ || *p_ != '"' || !ParseString(name)) return false;
            SkipSpace();
            if (!Take(':')) return false;
            SkipSpace();
            // A repeated name: the later value replaces the earlier one.
            if (!ParseValue(Member(out, name), depth + 1)) return false;
            height = std::max(height, height_);
            SkipSpace();
            if (Take('}')) return Finish(height);
            if (!Take(',')) return false;
            SkipSpace();
        }
    }

    // The elements of an array in profile documents mostly have the shape
    // of the element before them (a colour per key, a colour group per
    // group). Such an element is made as a copy of the one before, in one
    // piece (no member name looked up or copied, no search for its place),
    // and the text's scalars are read into the copy. Only elements at most
    // kMaxCopiedHeight high are copied: a text that turns out to have
    // another shape is read again, and that costs a bounded amount.
    bool ParseArray(Json::Value& out, int depth) {
        ++p_;
        Put(out, Json::Value(Json::arrayValue));
        SkipSpace();
        int height = 0;
        if (Take(']')) return Finish(height);
        const Json::Value* previous = nullptr;
        int previousHeight = 0;
        for (;;) {
            Json::Value* element = nullptr;
            Shaped shaped = Shaped::kNo;
            const char* start = p_;
            if (CanCopy(previous, previousHeight)) {
                element = &out.append(*previous);
                shaped = FillCopy(*element, depth + 1);
            }
            switch (shaped) {
                case Shaped::kYes: height_ = previousHeight; break;
                case Shaped::kMalformed: return false;
                case Shaped::kNo:
                    p_ = start;
                    if (element == nullptr) element = &out.append(Json::Value());
                    if (!ParseValue(*element, depth + 1)) return false;
                    break;
            }
            previous = element;
            previousHeight = height_;
            height = std::max(height, height_);
            SkipSpace();
            if (Take(']')) return Finish(height);
            if (!Take(',')) return false;
            SkipSpace();
        }
    }

    bool Finish(int childHeight) {
        height_ = childHeight + 1;
        return true;
    }

    // The previous element is a container low enough to copy, of the kind
    // the text opens now.
    bool CanCopy(const Json::Value* previous, int previousHeight) const {
        if (previous == nullptr || previousHeight == 0 || previousHeight > kMaxCopiedHeight || p_ == end_) return false;
        return *p_ == '{' ? previous->isObject() : (*p_ == '[' && previous->isArray());
    }

    // Reads the text into `copy`, a container of the previous element's
    // shape: kNo as soon as the text has another shape (other member names
    // or order, other lengths, a container for a scalar or the reverse).
    enum class Shaped { kYes, kNo, kMalformed };
    Shaped FillCopy(Json::Value& copy, int depth) {
        return copy.isObject() ? FillObject(copy, depth) : FillArray(copy, depth);
    }

    Shaped FillObject(Json::Value& object, int depth) {
        if (!Take('{')) return Shaped::kNo;
        SkipSpace();
        const auto end = object.end();
        auto it = object.begin();
        if (it == end) return Take('}') ? Shaped::kYes : Shaped::kNo;
        while (it != end) {
            const char* nameEnd = nullptr;
            const char* name = it.memberName(&nameEnd);
            if (!TakeQuoted(std::string_view(name, static_cast<std::size_t>(nameEnd - name)))) return Shaped::kNo;
            SkipSpace();
            if (!Take(':')) return Shaped::kMalformed;
            SkipSpace();
            if (const Shaped member = FillValue(*it, depth + 1); member != Shaped::kYes) return member;
            SkipSpace();
            if (const Shaped next = TakeSeparator(++it == end, '}'); next != Shaped::kYes) return next;
        }
        return Shaped::kYes;
    }

    Shaped FillArray(Json::Value& array, int depth) {
        if (!Take('[')) return Shaped::kNo;
        SkipSpace();
        const auto end = array.end();
        auto it = array.begin();
        if (Take(']')) return it == end ? Shaped::kYes : Shaped::kNo;
        if (it == end) return Shaped::kNo;
        while (it != end) {
            if (const Shaped element = FillValue(*it, depth + 1); element != Shaped::kYes) return element;
            SkipSpace();
            if (const Shaped next = TakeSeparator(++it == end, ']'); next != Shaped::kYes) return next;
        }
        return Shaped::kYes;
    }

    Shaped FillValue(Json::Value& value, int depth) {
        if (p_ == end_) return Shaped::kMalformed;
        const bool container = *p_ == '{' || *p_ == '[';
        switch (value.type()) {
            case Json::objectValue: return container ? FillObject(value, depth) : Shaped::kNo;
            case Json::arrayValue: return container ? FillArray(value, depth) : Shaped::kNo;
            default:
                if (container) return Shaped::kNo;
                return ParseValue(value, depth) ? Shaped::kYes : Shaped::kMalformed;
        }
    }

    // After a member or element: ',' before the next, `close` after the last.
    Shaped TakeSeparator(bool last, char close) {
        if (Take(last ? close : ',')) {
            if (!last) SkipSpace();
            return Shaped::kYes;
        }
        return p_ != end_ && *p_ == (last ? ',' : close) ? Shaped::kNo : Shaped::kMalformed;  // more or fewer
    }

    // `"name"` just as it stands: a name the text would have to escape
    // never matches.
    bool TakeQuoted(std::string_view name) {
        const std::size_t length = name.size() + 2;
        if (static_cast<std::size_t>(end_ - p_) < length || p_[0] != '"' || p_[length - 1] != '"' ||
            std::memcmp(p_ + 1, name.data(), name.size()) != 0)
            return false;
        for (const char c : name) {
            if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
        }
        p_ += length;
        return true;
    }

    Json::Value& Member(Json::Value& object, std::string_view name) {
        if (const char* kept = names_.Intern(name)) return object[Json::StaticString(kept)];
        return *object.demand(name.data(), name.data() + name.size());
    }

    // At the opening quote. `text` points into the input when the string
    // has no escape, else into scratch_ (valid until the next string).
    bool ParseString(std::string_view& text) {
        const char* start = ++p_;
        while (p_ != end_) {
            const char c = *p_;
            if (c == '"') {
                text = std::string_view(start, static_cast<std::size_t>(p_ - start));
                ++p_;
                return true;
            }
            if (c == '\\' || static_cast<unsigned char>(c) < 0x20) break;
            ++p_;
        }
        scratch_.assign(start, p_);
        while (p_ != end_) {
            const char c = *p_++;
            if (c == '"') {
                text = scratch_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                scratch_ += c;
            } else if (!ParseEscape()) {
                return false;
            }
        }
        return false;
    }

    // After a backslash.
    bool ParseEscape() {
        if (p_ == end_) return false;
        switch (*p_++) {
            case '"': scratch_ += '"'; return true;
            case '\\': scratch_ += '\\'; return true;
            case '/': scratch_ += '/'; return true;
            case 'b': scratch_ += '\b'; return true;
            case 'f': scratch_ += '\f'; return true;
            case 'n': scratch_ += '\n'; return true;
            case 'r': scratch_ += '\r'; return true;
            case 't': scratch_ += '\t'; return true;
            case 'u': break;
            default: return false;
        }
        char32_t unit = 0;
        if (!ParseHex4(unit)) return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;  // a low surrogate alone
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            char32_t low = 0;
            if (!Take('\\') || !Take('u') || !ParseHex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(scratch_, unit);
        return true;
    }

    bool ParseHex4(char32_t& unit) {
        if (end_ - p_ < 4) return false;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexValue(*p_++);
            if (digit < 0) return false;
            unit = (unit << 4) | static_cast<char32_t>(digit);
        }
        return true;
    }

    bool ParseWord(std::string_view word, Json::Value value, Json::Value& out) {
        if (static_cast<std::size_t>(end_ - p_) < word.size() || std::string_view(p_, word.size()) != word) {
            return false;
        }
        p_ += word.size();
        Put(out, std::move(value));
        return true;
    }

    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    bool ParseNumber(Json::Value& out) {
        const char* start = p_;
        const bool negative = Take('-');
        const char* digits = p_;
        if (!Take('0') && !SkipDigits()) return false;  // no leading zero
        const char* digitsEnd = p_;
        bool integral = true;
        if (Take('.')) {
            integral = false;
            if (!SkipDigits()) return false;
        }
        if (Take('e') || Take('E')) {
            integral = false;
            if (!Take('+')) Take('-');
            if (!SkipDigits()) return false;
        }
        if (integral) return MakeInteger(negative, digits, digitsEnd, out);

        double value = 0;
        const auto result = std::from_chars(start, p_, value);
        if (result.ec != std::errc() || result.ptr != p_) return false;  // out of range: jsoncpp's way
        Put(out, Json::Value(value));
        return true;
    }

    // jsoncpp's types: signed when the value fits, unsigned for the
    // positive values above the signed range. Beyond 64 bits jsoncpp makes a
    // double its own way; that is left to it.
    static bool MakeInteger(bool negative, const char* digits, const char* end, Json::Value& out) {
        constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
        constexpr std::ptrdiff_t kSafeDigits = 19;  // any 19 digits fit 64 bits; 20 may not
        const std::ptrdiff_t count = end - digits;
        if (count > kSafeDigits + 1) return false;
        std::uint64_t magnitude = 0;
        for (const char* d = digits; d != end && d - digits < kSafeDigits; ++d) {
            magnitude = magnitude * 10 + static_cast<std::uint64_t>(*d - '0');
        }
        if (count > kSafeDigits) {
            const auto last = static_cast<std::uint64_t>(end[-1] - '0');
            if (magnitude > kMax / 10 || (magnitude == kMax / 10 && last > kMax % 10)) return false;
            magnitude = magnitude * 10 + last;
        }
        constexpr auto kMaxSigned = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        if (!negative) {
            Put(out, magnitude <= kMaxSigned ? Json::Value(static_cast<Json::LargestInt>(magnitude))
                                             : Json::Value(static_cast<Json::LargestUInt>(magnitude)));
            return true;
        }
        if (magnitude > kMaxSigned + 1) return false;
        Put(out, Json::Value(magnitude == kMaxSigned + 1 ? std::numeric_limits<std::int64_t>::min()
                                                         : -static_cast<std::int64_t>(magnitude)));
        return true;
    }

    // Whether at least one digit was skipped.
    bool SkipDigits() {
        const char* start = p_;
        while (p_ != end_ && IsDigit(*p_)) ++p_;
        return p_ != start;
    }

    void SkipSpace() {
        while (p_ != end_) {
            const char c = *p_;
            if (c == ' ') {
                SkipSpaceRun();
            } else if (c == '\n' || c == '\r' || c == '\t') {
                ++p_;
            } else {
                return;
            }
        }
    }

    // Styled text is mostly indentation: spaces go eight at a time.
    void SkipSpaceRun() {
        constexpr std::uint64_t kEightSpaces = 0x2020202020202020;
        while (end_ - p_ >= 8) {
            std::uint64_t eight = 0;
            std::memcpy(&eight, p_, 8);
            const std::uint64_t other = eight ^ kEightSpaces;  // zero bytes: spaces
            if (other != 0) {
                const int bits =
                    std::endian::native == std::endian::little ? std::countr_zero(other) : std::countl_zero(other);
                p_ += bits / 8;
                return;
            }
            p_ += 8;
        }
        while (p_ != end_ && *p_ == ' ') ++p_;
    }

    bool Take(char c) {
        if (p_ == end_ || *p_ != c) return false;
        ++p_;
        return true;
    }

    const char* p_;
    const char* const end_;
    std::string scratch_;
    MemberNameCache names_;
    int height_ = 0;  // of the last value read
};

}  // namespace

bool ParsePlainJson(std::string_view text, Json::Value& root) { return PlainJsonParser(text).Parse(root); }

}  // namespace vandrel::profiles
