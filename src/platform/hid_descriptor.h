// HID report-descriptor parser and input-report decoder, written from the USB
// HID specification (Device Class Definition for HID 1.11, section 6.2.2).
//
// Descriptors and reports come from devices and are untrusted: every length,
// count and offset is range-checked, and a malformed descriptor yields nothing
// rather than a partial read past the buffer.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vandrel::platform {

enum class HidReportType : std::uint8_t { Input, Output, Feature };

// One Input, Output or Feature main item of a top-level collection.
struct HidField {
    HidReportType type = HidReportType::Input;
    std::uint8_t reportId = 0;      // 0 when the descriptor has no report ids
    std::uint32_t bitOffset = 0;    // from the start of the report data, after the id byte
    std::uint16_t reportSize = 0;   // bits per element
    std::uint16_t reportCount = 0;  // elements
    std::uint16_t usagePage = 0;
    bool isConstant = false;
    bool isArray = false;   // selector array rather than one variable per element
    bool isButton = false;  // one-bit variables or a selector array, as the Windows parser classes them
    bool hasUsageRange = false;
    std::uint16_t usageMin = 0, usageMax = 0;
    std::vector<std::uint16_t> usages;  // explicit usages, in order
    std::int32_t logicalMin = 0, logicalMax = 0;
    std::int32_t physicalMin = 0, physicalMax = 0;
};

struct HidTopCollection {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::vector<std::uint8_t> reportIds;  // distinct ids used in the collection, ascending
    std::vector<HidField> fields;
    // Longest report of each type in bytes, including the report-id byte.
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    std::uint16_t featureReportLength = 0;
};

// The top-level collections of a descriptor, or nothing when it is malformed.
std::optional<std::vector<HidTopCollection>> ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

// One decoded capability: a button capability or one value usage.
struct HidDataEntry {
    bool isButton = false;
    std::uint16_t usagePage = 0;
    bool lastDecodeOk = false;
    std::uint8_t reportId = 0;
    bool isSet = false;
    // Button entries: the usage range and the usages pressed, packed to the
    // front and followed by a 0 when the list has room.
    std::uint16_t usageMin = 0, usageMax = 0;
    std::vector<std::uint16_t> usageList;
    // Value entries.
    std::uint16_t usage = 0;
    std::uint32_t rawValue = 0;
    std::int32_t scaledValue = 0;
    // Where the entry's data lies: the index of its field in the collection
    // and, for a value entry, the element of that field it reads.
    std::uint32_t fieldIndex = 0;
    std::uint16_t elementIndex = 0;
};

// Button capabilities first, then one entry per value usage (a usage range
// gives one entry per usage), for the fields of one report type.
std::vector<HidDataEntry> BuildDataEntries(const HidTopCollection& collection, HidReportType type);

// Fills the entries whose report id equals byte 0 of the report (for a
// collection without report ids the report starts with a 0 byte). False only
// when a value could not be read from the report: its field lies past the end
// of the given bytes; the entries before it are filled, the rest untouched.
// A value entry gets the element's bits (the low 32 when wider) as its raw
// value and, as its scaled value, the logical value (sign-extended when the
// logical minimum is negative) mapped onto the physical range, which equals
// the logical range when the descriptor gives none; a value outside the
// logical range scales to 0 with lastDecodeOk false. A button entry whose field
// does not fit in the report gets an empty list and lastDecodeOk false.
bool UnpackReport(std::span<const std::uint8_t> report, HidReportType type, std::span<HidDataEntry> entries,
                  const HidTopCollection& collection);

}  // namespace vandrel::platform
