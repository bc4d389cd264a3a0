// Fuzzes the report-descriptor parser and the report decoder together.
//
// Input: byte 0 chooses where the descriptor ends (as a fraction of the rest),
// the bytes up to there are the descriptor, the remainder is one report. Every
// collection's entries of all three report types are built and the report is
// decoded against each, once as given and once behind each of the collection's
// report ids, so that the decoder reaches every field.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/hid_descriptor.h"

namespace {

using vandrel::platform::HidReportType;

void DecodeAll(const vandrel::platform::HidTopCollection& collection, std::span<const std::uint8_t> report) {
    for (const HidReportType type : {HidReportType::Input, HidReportType::Output, HidReportType::Feature}) {
        auto entries = vandrel::platform::BuildDataEntries(collection, type);
        vandrel::platform::UnpackReport(report, type, entries, collection);
        std::vector<std::uint8_t> numbered(report.begin(), report.end());
        if (numbered.empty()) numbered.push_back(0);
        for (const std::uint8_t id : collection.reportIds) {
            numbered[0] = id;
            vandrel::platform::UnpackReport(numbered, type, entries, collection);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    const std::size_t split = rest.size() * data[0] / 255;
    const auto collections = vandrel::platform::ParseReportDescriptor(rest.first(split));
    if (!collections) return 0;
    for (const auto& collection : *collections) DecodeAll(collection, rest.subspan(split));
    return 0;
}
