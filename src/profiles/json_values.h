// Reading and changing jsoncpp values without ever throwing. jsoncpp throws
// when a value is converted to a type it cannot take (asInt() of a string) or
// indexed as an object or array when it is neither; documents come from files
// a user can edit, so every reader goes through these functions instead.
//
// Readers return the fallback for a value of the wrong type; writers replace
// a value of the wrong type by an empty object or array first.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>

namespace vandrel::profiles::json {

// Member `key` of an object; the null value when `object` is no object or
// lacks the key. Never adds the key.
const Json::Value& Member(const Json::Value& object, const char* key);
// Element `index` of an array; the null value when `array` is no array or is
// too short.
const Json::Value& Element(const Json::Value& array, Json::ArrayIndex index);

// The elements of an array in index order without a lookup per element. An
// array may lack elements below its size (setting element 5 of an empty
// array adds that one only); a missing element reads as null, as Element
// reads it. Not an array: no elements.
class ElementCursor {
public:
    explicit ElementCursor(const Json::Value& array);
    Json::ArrayIndex Size() const { return size_; }
    // Element `index`; indexes must come in increasing order.
    const Json::Value& At(Json::ArrayIndex index);

private:
    void Advance();

    Json::Value::const_iterator next_;
    Json::Value::const_iterator end_;
    Json::ArrayIndex size_;
    Json::ArrayIndex nextIndex_ = 0;  // of next_; size_ at the end
};

// Integers (and truth values, and finite numbers truncated towards zero) as a
// 64-bit integer; anything else gives the fallback. Callers keep the low
// bits they need.
std::int64_t IntegerOr(const Json::Value& value, std::int64_t fallback = 0);
// A byte value of a record: IntegerOr clamped to 0..255, so an edited 300
// reads as 255 and not as its low byte 44.
std::uint8_t ByteOr(const Json::Value& value, std::uint8_t fallback = 0);
// A 16-bit word of a record: the low 16 bits of IntegerOr.
std::uint16_t Low16Or(const Json::Value& value, std::uint16_t fallback = 0);
// A truth value; numbers are true when not zero. Anything else: fallback.
bool TruthOr(const Json::Value& value, bool fallback = false);
// A string; anything else: fallback.
std::string TextOr(const Json::Value& value, const std::string& fallback = {});

// Makes `value` an object (or array) unless it already is one; returns it.
Json::Value& AsObject(Json::Value& value);
Json::Value& AsArray(Json::Value& value);
// The member `key` of `object` (made an object first), as an object or array.
Json::Value& ObjectMember(Json::Value& object, const char* key);
Json::Value& ArrayMember(Json::Value& object, const char* key);
// Element `index` of `array` (made an array first, grown as needed), as an object.
Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index);
// Element `index` of `array` (made an array first, grown as needed), as an array.
Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index);

}  // namespace vandrel::profiles::json
