// A quick reader for plain JSON, the form the program writes its files in.
//
// It takes plain JSON only (RFC 8259: no comments, no byte order mark, no
// trailing comma, no control character inside a string) and builds exactly
// the value jsoncpp's reader builds from the same text: integers that fit 64
// bits as signed, or unsigned above the signed range; other numbers as
// doubles; the last of repeated member names wins. Everything else (a text
// jsoncpp takes beyond plain JSON, a malformed one, an integer beyond 64
// bits, a lone surrogate escape, nesting 1000 deep) it refuses, so that the
// caller can hand that text to jsoncpp's reader, which has the last word.
#pragma once

#include <json/json.h>

#include <string_view>

namespace vandrel::profiles {

// The parsed value in `root`; false (and `root` in no particular state) when
// the text is not plain JSON or holds something left to jsoncpp.
bool ParsePlainJson(std::string_view text, Json::Value& root);

}  // namespace vandrel::profiles
