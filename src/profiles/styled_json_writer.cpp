#include "profiles/styled_json_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "profiles/json_values.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {
namespace {

constexpr Json::ArrayIndex kRightMargin = 74;
constexpr std::size_t kIndentStep = 3;
constexpr int kDoubleDigits = 17;
constexpr char kHexDigits[] = "0123456789abcdef";

bool HasComment(const Json::Value& value) {
    return value.hasComment(Json::commentBefore) || value.hasComment(Json::commentAfterOnSameLine) ||
           value.hasComment(Json::commentAfter);
}

bool IsFilledContainer(const Json::Value& value) { return (value.isArray() || value.isObject()) && !value.empty(); }

// The escape StyledWriter writes for a character below U+0020, '"' or '\\'.
void AppendAsciiEscape(CTextTail& out, unsigned char c) {
    switch (c) {
        case '"': out.Append("\\\""); return;
        case '\\': out.Append("\\\\"); return;
        case '\b': out.Append("\\b"); return;
        case '\f': out.Append("\\f"); return;
        case '\n': out.Append("\\n"); return;
        case '\r': out.Append("\\r"); return;
        case '\t': out.Append("\\t"); return;
        default: break;
    }
    const char escape[] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 0xF]};
    out.Append(std::string_view(escape, sizeof escape));
}

void AppendUnitEscape(CTextTail& out, char32_t unit) {
    const char escape[] = {'\\',
                           'u',
                           kHexDigits[(unit >> 12) & 0xF],
                           kHexDigits[(unit >> 8) & 0xF],
                           kHexDigits[(unit >> 4) & 0xF],
                           kHexDigits[unit & 0xF]};
    out.Append(std::string_view(escape, sizeof escape));
}

void AppendCodePointEscape(CTextTail& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        AppendUnitEscape(out, codePoint);
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    AppendUnitEscape(out, 0xD800 + (offset >> 10));
    AppendUnitEscape(out, 0xDC00 + (offset & 0x3FF));
}

}  // namespace

void CTextTail::Grow(std::size_t size) {
    constexpr std::size_t kLeastStep = 4096;
    text_.resize(std::max({text_.capacity(), text_.size() * 2, used_ + size + kLeastStep}));
}

CStyledJsonWriter::CStyledJsonWriter(std::string& out) : out_(out), start_(out.size()) {}

bool CStyledJsonWriter::Write(const Json::Value& value) {
    if (!WriteValue(value)) return false;
    out_.Append('\n');
    return true;
}

bool CStyledJsonWriter::WriteValue(const Json::Value& value) {
    if (HasComment(value)) return false;
    switch (value.type()) {
        case Json::nullValue: out_.Append("null"); return true;
        case Json::intValue: WriteInteger(value.asLargestInt()); return true;
        case Json::uintValue: WriteInteger(value.asLargestUInt()); return true;
        case Json::realValue: WriteDouble(value.asDouble()); return true;
        case Json::booleanValue: out_.Append(value.asBool() ? "true" : "false"); return true;
        case Json::stringValue: {
            const char* begin = nullptr;
            const char* end = nullptr;
            if (!value.getString(&begin, &end)) return true;  // StyledWriter writes nothing either
            return WriteQuoted(std::string_view(begin, static_cast<std::size_t>(end - begin)));
        }
        case Json::arrayValue: return WriteArray(value);
        case Json::objectValue: return WriteObject(value);
    }
    return true;
}

bool CStyledJsonWriter::WriteObject(const Json::Value& object) {
    const auto end = object.end();
    auto it = object.begin();
    if (it == end) {
        out_.Append("{}");
        return true;
    }
    WriteIndent();
    out_.Append('{');
    Indent();
    while (it != end) {
        const char* nameEnd = nullptr;
        const char* name = it.memberName(&nameEnd);
        const std::string_view full =
            name == nullptr ? std::string_view() : std::string_view(name, static_cast<std::size_t>(nameEnd - name));
        // StyledWriter takes the name as a C string; the rest must be valid
        // text all the same, or the repair changes the name.
        const std::size_t nul = std::find(full.begin(), full.end(), '\0') - full.begin();
        if (nul != full.size() && !IsValidUtf8(full)) return false;
        WriteIndent();
        if (!WriteQuoted(full.substr(0, nul))) return false;
        out_.Append(" : ");
        if (!WriteValue(*it)) return false;
        if (++it != end) out_.Append(',');
    }
    Unindent();
    WriteIndent();
    out_.Append('}');
    return true;
}

bool CStyledJsonWriter::WriteArray(const Json::Value& array) {
    const Json::ArrayIndex size = array.size();
    if (size == 0) {
        out_.Append("[]");
        return true;
    }
    bool oneLine = size * 3 < kRightMargin;
    if (oneLine) {
        json::ElementCursor elements(array);
        for (Json::ArrayIndex i = 0; i < size && oneLine; ++i) oneLine = !IsFilledContainer(elements.At(i));
    }
    if (oneLine) {
        bool fits = false;
        if (!TryOneLine(array, fits)) return false;
        if (fits) return true;
    }
    WriteIndent();
    out_.Append('[');
    Indent();
    json::ElementCursor elements(array);
    for (Json::ArrayIndex i = 0; i < size; ++i) {
        WriteIndent();
        if (!WriteValue(elements.At(i))) return false;
        if (i + 1 < size) out_.Append(',');
    }
    Unindent();
    WriteIndent();
    out_.Append(']');
    return true;
}

bool CStyledJsonWriter::TryOneLine(const Json::Value& array, bool& fits) {
    const std::size_t start = out_.Size();
    out_.Append("[ ");
    json::ElementCursor elements(array);
    for (Json::ArrayIndex i = 0; i < array.size(); ++i) {
        if (i > 0) out_.Append(", ");
        if (!WriteValue(elements.At(i))) return false;
    }
    out_.Append(" ]");
    fits = out_.Size() - start < kRightMargin;
    if (!fits) out_.CutTo(start);
    return true;
}

bool CStyledJsonWriter::WriteQuoted(std::string_view text) {
    out_.Append('"');
    // Printable ASCII goes in runs; everything else is escaped one
    // character at a time.
    std::size_t plainStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        out_.Append(text.substr(plainStart, i - plainStart));
        if (c < 0x80) {
            AppendAsciiEscape(out_, c);
            ++i;
        } else {
            const Utf8Char decoded = DecodeUtf8Char(text.substr(i));
            if (!decoded.valid) return false;
            AppendCodePointEscape(out_, decoded.codePoint);
            i += decoded.length;
        }
        plainStart = i;
    }
    out_.Append(text.substr(plainStart));
    out_.Append('"');
    return true;
}

void CStyledJsonWriter::WriteDouble(double value) {
    if (!std::isfinite(value)) {
        out_.Append(std::isnan(value) ? "null" : (value < 0 ? "-1e+9999" : "1e+9999"));
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, kDoubleDigits);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    out_.Append(text);
    if (text.find_first_of(".e") == std::string_view::npos) out_.Append(".0");
}

template <typename Integer>
void CStyledJsonWriter::WriteInteger(Integer value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.Append(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

void CStyledJsonWriter::WriteIndent() {
    bool newLine = false;
    if (out_.Size() > start_) {
        const char last = out_.Last();
        if (last == ' ') return;  // after "name : " or an indent already written
        newLine = last != '\n';
    }
    // A line end and the indent in one piece while the indent is not too deep.
    static const std::string kLineStart = "\n" + std::string(128, ' ');
    if (indent_ < kLineStart.size()) {
        out_.Append(std::string_view(kLineStart).substr(newLine ? 0 : 1, indent_ + (newLine ? 1 : 0)));
    } else {
        if (newLine) out_.Append('\n');
        for (std::size_t i = 0; i < indent_; ++i) out_.Append(' ');
    }
}

void CStyledJsonWriter::Indent() { indent_ += kIndentStep; }

void CStyledJsonWriter::Unindent() { indent_ -= kIndentStep; }

}  // namespace vandrel::profiles
