// The text conversions at the boundary between the UTF-16 strings of the user
// interface (names typed by the user, names shown in lists) and the UTF-8
// strings of the JSON files. Both directions replace what is not valid (an
// unpaired surrogate, a broken or overlong UTF-8 sequence) by U+FFFD, so a
// name that went through them is always valid text.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::profiles {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Appends one code point (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// Valid UTF-8 with every broken sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view text);

// One character at the start of a UTF-8 text: its code point and length in
// bytes. A broken sequence is not valid; SanitizeUtf8 puts one U+FFFD in
// place of its `length` bytes.
struct Utf8Char {
    char32_t codePoint;
    std::size_t length;
    bool valid;
};
// `text` must not be empty.
Utf8Char DecodeUtf8Char(std::string_view text);

// SanitizeUtf8 would leave the text as it is.
bool IsValidUtf8(std::string_view text);

// Equality ignoring the letter case of A-Z (other letters compare as they are).
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

// True when the text is empty or holds only white space.
bool IsBlank(std::u16string_view text);

}  // namespace vandrel::profiles
