#include "profiles/json_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vandrel::profiles::json {
namespace {

const Json::Value& NullValue() {
    static const Json::Value null;
    return null;
}

}  // namespace

const Json::Value& Member(const Json::Value& object, const char* key) {
    if (!object.isObject()) return NullValue();
    return object[key];
}

const Json::Value& Element(const Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray() || index >= array.size()) return NullValue();
    return array[index];
}

ElementCursor::ElementCursor(const Json::Value& array)
    : next_(array.begin()), end_(array.end()), size_(array.isArray() ? array.size() : 0) {
    nextIndex_ = (size_ == 0 || next_ == end_) ? size_ : next_.index();
}

const Json::Value& ElementCursor::At(Json::ArrayIndex index) {
    if (index >= size_) return NullValue();
    while (nextIndex_ < index) Advance();
    return nextIndex_ == index ? *next_ : NullValue();
}

void ElementCursor::Advance() {
    ++next_;
    nextIndex_ = next_ == end_ ? size_ : next_.index();
}

std::int64_t IntegerOr(const Json::Value& value, std::int64_t fallback) {
    if (value.isBool()) return value.asBool() ? 1 : 0;
    if (value.isInt64()) return value.asInt64();
    if (value.isUInt64()) return static_cast<std::int64_t>(value.asUInt64());
    if (value.isDouble()) {
        const double number = value.asDouble();
        constexpr double kLimit = 9.2e18;  // inside the range of a 64-bit integer
        if (std::isfinite(number) && std::fabs(number) < kLimit) return static_cast<std::int64_t>(number);
    }
    return fallback;
}

std::uint16_t Low16Or(const Json::Value& value, std::uint16_t fallback) {
    return static_cast<std::uint16_t>(IntegerOr(value, fallback));
}

std::uint8_t ByteOr(const Json::Value& value, std::uint8_t fallback) {
    constexpr std::int64_t kMax = std::numeric_limits<std::uint8_t>::max();
    // The usual case first: profiles hold thousands of bytes.
    if (value.type() == Json::intValue) {
        return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value.asLargestInt(), 0, kMax));
    }
    if (value.isUInt64() && !value.isInt64()) return static_cast<std::uint8_t>(kMax);  // above 2^63
    const std::int64_t number = IntegerOr(value, fallback);
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(number, 0, kMax));
}

bool TruthOr(const Json::Value& value, bool fallback) {
    if (value.isBool()) return value.asBool();
    if (value.isDouble()) return value.asDouble() != 0.0;
    return fallback;
}

std::string TextOr(const Json::Value& value, const std::string& fallback) {
    return value.isString() ? value.asString() : fallback;
}

Json::Value& AsObject(Json::Value& value) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value;
}

Json::Value& AsArray(Json::Value& value) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value;
}

Json::Value& ObjectMember(Json::Value& object, const char* key) { return AsObject(AsObject(object)[key]); }

Json::Value& ArrayMember(Json::Value& object, const char* key) { return AsArray(AsObject(object)[key]); }

Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index) { return AsObject(AsArray(array)[index]); }

Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index) { return AsArray(AsArray(array)[index]); }

}  // namespace vandrel::profiles::json
