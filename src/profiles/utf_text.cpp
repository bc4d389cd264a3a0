#include "profiles/utf_text.h"

#include <cstdint>

namespace vandrel::profiles {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool InRange(unsigned char byte, unsigned char low, unsigned char high) { return byte >= low && byte <= high; }

}  // namespace

Utf8Char DecodeUtf8Char(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return {lead, 1, true};

    std::size_t length = 0;
    char32_t value = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (InRange(lead, 0xC2, 0xDF)) {
        length = 2;
        value = lead & 0x1F;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) secondLow = 0xA0;   // overlong
        if (lead == 0xED) secondHigh = 0x9F;  // surrogates
    } else if (InRange(lead, 0xF0, 0xF4)) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) secondLow = 0x90;   // overlong
        if (lead == 0xF4) secondHigh = 0x8F;  // above U+10FFFF
    } else {
        return {kReplacement, 1, false};
    }

    for (std::size_t i = 1; i < length; ++i) {
        if (i >= text.size()) return {kReplacement, i, false};
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool fits = i == 1 ? InRange(byte, secondLow, secondHigh) : InRange(byte, 0x80, 0xBF);
        if (!fits) return {kReplacement, i, false};
        value = (value << 6) | (byte & 0x3F);
    }
    return {value, length, true};
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Char decoded = DecodeUtf8Char(text.substr(i));
        if (!decoded.valid) return false;
        i += decoded.length;
    }
    return true;
}

namespace {

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
        return;
    }
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

char16_t FoldAscii(char16_t unit) { return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit + 32) : unit; }

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const Utf8Char decoded = DecodeUtf8Char(text);
        AppendUtf16(out, decoded.codePoint);
        text.remove_prefix(decoded.length);
    }
    return out;
}

std::string SanitizeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const Utf8Char decoded = DecodeUtf8Char(text);
        AppendUtf8(out, decoded.codePoint);
        text.remove_prefix(decoded.length);
    }
    return out;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

bool IsBlank(std::u16string_view text) {
    for (const char16_t unit : text) {
        const bool space = unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r' || unit == u'\v' ||
                           unit == u'\f' || unit == 0x00A0 || unit == 0x3000;
        if (!space) return false;
    }
    return true;
}

}  // namespace vandrel::profiles
