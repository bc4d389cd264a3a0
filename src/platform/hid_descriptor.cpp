#include "platform/hid_descriptor.h"

#include <algorithm>
#include <array>

namespace vandrel::platform {
namespace {

// Bounds for untrusted descriptors. A descriptor that goes past one of them is
// rejected as a whole. The report bounds are those of the Linux HID core.
constexpr std::size_t kMaxCollectionDepth = 64;
constexpr std::size_t kMaxPushDepth = 16;
constexpr std::size_t kMaxUsagesPerItem = 4096;
constexpr std::size_t kMaxFields = 1024;
constexpr std::uint32_t kMaxReportSize = 256;        // bits per element
constexpr std::uint32_t kMaxReportCount = 0xFFFF;    // elements per main item
constexpr std::uint64_t kMaxReportBits = 16384 * 8;  // data bits per report
constexpr std::size_t kMaxElements = 1 << 18;        // elements of all fields together
// BuildDataEntries stops silently at this many entries per report type.
constexpr std::size_t kMaxDataEntries = 4096;

constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::uint32_t kApplicationCollection = 0x01;

enum class ItemType : std::uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

namespace main_tag {
constexpr std::uint8_t kInput = 0x8, kOutput = 0x9, kCollection = 0xA, kFeature = 0xB, kEndCollection = 0xC;
}
namespace global_tag {
constexpr std::uint8_t kUsagePage = 0x0, kLogicalMin = 0x1, kLogicalMax = 0x2, kPhysicalMin = 0x3, kPhysicalMax = 0x4,
                       kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9, kPush = 0xA, kPop = 0xB;
// Unit exponent (0x5) and unit (0x6) do not change how data is decoded here.
}  // namespace global_tag
namespace local_tag {
constexpr std::uint8_t kUsage = 0x0, kUsageMin = 0x1, kUsageMax = 0x2;
// Designators, strings and delimiters (0x3 to 0xA) are ignored.
}  // namespace local_tag

// ---------------------------------------------------------------------------
// Items

struct Item {
    ItemType type = ItemType::Main;
    std::uint8_t tag = 0;
    std::uint8_t size = 0;  // data bytes: 0, 1, 2 or 4
    std::uint32_t data = 0;

    std::uint32_t Unsigned() const { return data; }
    std::int32_t Signed() const {
        switch (size) {
            case 1: return static_cast<std::int8_t>(data);
            case 2: return static_cast<std::int16_t>(data);
            default: return static_cast<std::int32_t>(data);
        }
    }
};

enum class Next { Item, End, Malformed };

// Steps through the short items of a descriptor, skipping long items. Never
// reads past the end: an item whose data does not fit is malformed.
class ItemReader {
public:
    explicit ItemReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    Next Read(Item& item) {
        while (pos_ < bytes_.size()) {
            const std::uint8_t prefix = bytes_[pos_];
            if (prefix == kLongItemPrefix) {
                if (!SkipLongItem()) return Next::Malformed;
                continue;
            }
            static constexpr std::array<std::uint8_t, 4> kSizes{0, 1, 2, 4};
            item.size = kSizes[prefix & 0x3];
            item.type = static_cast<ItemType>((prefix >> 2) & 0x3);
            item.tag = static_cast<std::uint8_t>(prefix >> 4);
            if (bytes_.size() - pos_ - 1 < item.size) return Next::Malformed;
            item.data = 0;
            for (std::size_t i = 0; i < item.size; ++i)
                item.data |= static_cast<std::uint32_t>(bytes_[pos_ + 1 + i]) << (8 * i);
            pos_ += 1 + item.size;
            return Next::Item;
        }
        return Next::End;
    }

private:
    // A long item: prefix, data size, tag, then the data.
    bool SkipLongItem() {
        if (bytes_.size() - pos_ < 3) return false;
        const std::size_t dataSize = bytes_[pos_ + 1];
        if (bytes_.size() - pos_ - 3 < dataSize) return false;
        pos_ += 3 + dataSize;
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// ---------------------------------------------------------------------------
// Parser state

struct GlobalState {
    std::uint16_t usagePage = 0;
    std::int32_t logicalMin = 0, logicalMax = 0;
    std::int32_t physicalMin = 0, physicalMax = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

// A usage as written: 4-byte usages carry their page in the high 16 bits,
// shorter ones take the usage page in force at the main item.
struct LocalUsage {
    std::uint32_t value = 0;
    bool extended = false;

    std::uint32_t Resolve(std::uint16_t page) const {
        return extended ? value : (static_cast<std::uint32_t>(page) << 16) | (value & 0xFFFF);
    }
};

struct LocalState {
    std::vector<LocalUsage> usages;
    std::optional<LocalUsage> usageMin, usageMax;
};

constexpr std::uint16_t PageOf(std::uint32_t usage) { return static_cast<std::uint16_t>(usage >> 16); }
constexpr std::uint16_t IdOf(std::uint32_t usage) { return static_cast<std::uint16_t>(usage & 0xFFFF); }

constexpr std::size_t TypeIndex(HidReportType type) { return static_cast<std::size_t>(type); }

class DescriptorParser {
public:
    std::optional<std::vector<HidTopCollection>> Parse(std::span<const std::uint8_t> descriptor) {
        ItemReader reader(descriptor);
        Item item;
        for (;;) {
            const Next next = reader.Read(item);
            if (next == Next::Malformed) return std::nullopt;
            if (next == Next::End) break;
            if (!Apply(item)) return std::nullopt;
        }
        if (depth_ != 0) return std::nullopt;
        FinishCollections();
        return std::move(collections_);
    }

private:
    bool Apply(const Item& item) {
        switch (item.type) {
            case ItemType::Main: return ApplyMain(item);
            case ItemType::Global: return ApplyGlobal(item);
            case ItemType::Local: return ApplyLocal(item);
            case ItemType::Reserved: return true;
        }
        return true;
    }

    bool ApplyGlobal(const Item& item) {
        switch (item.tag) {
            case global_tag::kUsagePage: global_.usagePage = static_cast<std::uint16_t>(item.Unsigned()); break;
            case global_tag::kLogicalMin: global_.logicalMin = item.Signed(); break;
            // A maximum is signed only when its minimum is negative: devices write
            // 255 as the single byte 0xFF next to a minimum of 0.
            case global_tag::kLogicalMax:
                global_.logicalMax =
                    global_.logicalMin < 0 ? item.Signed() : static_cast<std::int32_t>(item.Unsigned());
                break;
            case global_tag::kPhysicalMin: global_.physicalMin = item.Signed(); break;
            case global_tag::kPhysicalMax:
                global_.physicalMax =
                    global_.physicalMin < 0 ? item.Signed() : static_cast<std::int32_t>(item.Unsigned());
                break;
            case global_tag::kReportSize:
                if (item.Unsigned() > kMaxReportSize) return false;
                global_.reportSize = item.Unsigned();
                break;
            case global_tag::kReportCount:
                if (item.Unsigned() > kMaxReportCount) return false;
                global_.reportCount = item.Unsigned();
                break;
            case global_tag::kReportId:
                if (item.Unsigned() == 0 || item.Unsigned() > 0xFF) return false;
                global_.reportId = static_cast<std::uint8_t>(item.Unsigned());
                break;
            case global_tag::kPush:
                if (pushed_.size() >= kMaxPushDepth) return false;
                pushed_.push_back(global_);
                break;
            case global_tag::kPop:
                if (pushed_.empty()) return false;
                global_ = pushed_.back();
                pushed_.pop_back();
                break;
            default: break;
        }
        return true;
    }

    bool ApplyLocal(const Item& item) {
        const LocalUsage usage{item.Unsigned(), item.size == 4};
        switch (item.tag) {
            case local_tag::kUsage:
                if (local_.usages.size() >= kMaxUsagesPerItem) return false;
                local_.usages.push_back(usage);
                break;
            case local_tag::kUsageMin: local_.usageMin = usage; break;
            case local_tag::kUsageMax: local_.usageMax = usage; break;
            default: break;
        }
        return true;
    }

    bool ApplyMain(const Item& item) {
        bool ok = true;
        switch (item.tag) {
            case main_tag::kInput: ok = AddField(HidReportType::Input, item.Unsigned()); break;
            case main_tag::kOutput: ok = AddField(HidReportType::Output, item.Unsigned()); break;
            case main_tag::kFeature: ok = AddField(HidReportType::Feature, item.Unsigned()); break;
            case main_tag::kCollection: ok = OpenCollection(item.Unsigned()); break;
            case main_tag::kEndCollection: ok = CloseCollection(); break;
            default: break;
        }
        local_ = {};
        return ok;
    }

    bool OpenCollection(std::uint32_t kind) {
        if (depth_ >= kMaxCollectionDepth) return false;
        if (depth_ == 0) {
            inTopCollection_ = kind == kApplicationCollection;
            if (inTopCollection_) {
                const std::uint32_t usage = FirstUsage();
                HidTopCollection& top = collections_.emplace_back();
                top.usagePage = usage ? PageOf(usage) : global_.usagePage;
                top.usage = IdOf(usage);
            }
        }
        ++depth_;
        return true;
    }

    bool CloseCollection() {
        if (depth_ == 0) return false;
        --depth_;
        if (depth_ == 0) inTopCollection_ = false;
        return true;
    }

    // The collection's own usage: its first usage, else its usage minimum.
    std::uint32_t FirstUsage() const {
        if (!local_.usages.empty()) return local_.usages.front().Resolve(global_.usagePage);
        if (local_.usageMin) return local_.usageMin->Resolve(global_.usagePage);
        return 0;
    }

    bool AddField(HidReportType type, std::uint32_t flags) {
        const std::uint64_t bits = std::uint64_t{global_.reportSize} * global_.reportCount;
        std::uint32_t& used = reportBits_[TypeIndex(type)][global_.reportId];
        if (bits > kMaxReportBits - used) return false;
        const std::uint32_t offset = used;
        used += static_cast<std::uint32_t>(bits);
        if (bits == 0 || !inTopCollection_) return true;
        if (++fieldCount_ > kMaxFields) return false;
        elementCount_ += global_.reportCount;
        if (elementCount_ > kMaxElements) return false;

        HidField field;
        field.type = type;
        field.reportId = global_.reportId;
        field.bitOffset = offset;
        field.reportSize = static_cast<std::uint16_t>(global_.reportSize);
        field.reportCount = static_cast<std::uint16_t>(global_.reportCount);
        field.isConstant = (flags & 0x1) != 0;
        field.isArray = (flags & 0x2) == 0;
        field.isButton = !field.isConstant && (field.isArray || field.reportSize == 1);
        field.logicalMin = global_.logicalMin;
        field.logicalMax = global_.logicalMax;
        field.physicalMin = global_.physicalMin;
        field.physicalMax = global_.physicalMax;
        if (!SetUsages(field)) return false;
        collections_.back().fields.push_back(std::move(field));
        return true;
    }

    // A lone usage range stays a range; explicit usages, and a range mixed
    // with them, become a list. The field's page is that of its first usage.
    bool SetUsages(HidField& field) const {
        const std::uint16_t page = global_.usagePage;
        const bool hasRange =
            local_.usageMin && local_.usageMax && IdOf(local_.usageMin->value) <= IdOf(local_.usageMax->value);
        std::uint32_t first = 0;
        if (hasRange && local_.usages.empty()) {
            first = local_.usageMin->Resolve(page);
            field.hasUsageRange = true;
            field.usageMin = IdOf(first);
            field.usageMax = IdOf(local_.usageMax->value);
        } else {
            for (const LocalUsage& usage : local_.usages) field.usages.push_back(IdOf(usage.Resolve(page)));
            if (hasRange) {
                const std::uint32_t high = IdOf(local_.usageMax->value);
                for (std::uint32_t id = IdOf(local_.usageMin->value); id <= high; ++id) {
                    if (field.usages.size() >= kMaxUsagesPerItem) return false;
                    field.usages.push_back(static_cast<std::uint16_t>(id));
                }
            }
            if (!local_.usages.empty()) first = local_.usages.front().Resolve(page);
            else if (hasRange) first = local_.usageMin->Resolve(page);
        }
        field.usagePage = first ? PageOf(first) : page;
        return true;
    }

    // Report ids and report lengths, once every field is known: a report's
    // length counts every field of its id, padding included, in all collections.
    void FinishCollections() {
        for (HidTopCollection& top : collections_) {
            std::array<std::uint32_t, 3> longest{};
            for (const HidField& field : top.fields) {
                if (field.reportId != 0) top.reportIds.push_back(field.reportId);
                const std::size_t type = TypeIndex(field.type);
                const std::uint32_t bytes = (reportBits_[type][field.reportId] + 7) / 8 + 1;
                longest[type] = std::max(longest[type], bytes);
            }
            std::sort(top.reportIds.begin(), top.reportIds.end());
            top.reportIds.erase(std::unique(top.reportIds.begin(), top.reportIds.end()), top.reportIds.end());
            top.inputReportLength = static_cast<std::uint16_t>(longest[TypeIndex(HidReportType::Input)]);
            top.outputReportLength = static_cast<std::uint16_t>(longest[TypeIndex(HidReportType::Output)]);
            top.featureReportLength = static_cast<std::uint16_t>(longest[TypeIndex(HidReportType::Feature)]);
        }
    }

    GlobalState global_;
    std::vector<GlobalState> pushed_;
    LocalState local_;
    std::size_t depth_ = 0;
    bool inTopCollection_ = false;
    std::size_t fieldCount_ = 0;
    std::size_t elementCount_ = 0;
    // Bits used so far by each report, per report type and report id.
    std::array<std::array<std::uint32_t, 256>, 3> reportBits_{};
    std::vector<HidTopCollection> collections_;
};

// ---------------------------------------------------------------------------
// Decoding

// The usage of element i of a variable field: a range or list runs out on its
// last usage, which then applies to the remaining elements.
std::uint16_t VariableUsage(const HidField& field, std::size_t i) {
    if (field.hasUsageRange)
        return static_cast<std::uint16_t>(std::min<std::size_t>(field.usageMin + i, field.usageMax));
    if (field.usages.empty()) return 0;
    return field.usages[std::min(i, field.usages.size() - 1)];
}

// The usage an array element selects with the given index into its usages;
// 0 when the index selects none.
std::uint16_t SelectedUsage(const HidField& field, std::uint32_t index) {
    if (field.hasUsageRange)
        return index <= std::uint32_t{field.usageMax} - field.usageMin
                   ? static_cast<std::uint16_t>(field.usageMin + index)
                   : 0;
    return index < field.usages.size() ? field.usages[index] : 0;
}

std::size_t UsageCount(const HidField& field) {
    if (field.hasUsageRange) return std::size_t{field.usageMax} - field.usageMin + 1;
    return field.usages.size();
}

// Element i of a field, its low 32 bits; nothing when it lies past the end of
// the report. Bit 0 of the data is the lowest bit of the byte after the id.
std::optional<std::uint32_t> ReadElement(std::span<const std::uint8_t> report, const HidField& field, std::size_t i) {
    const std::uint64_t start = 8 + std::uint64_t{field.bitOffset} + std::uint64_t{i} * field.reportSize;
    if (start + field.reportSize > std::uint64_t{report.size()} * 8) return std::nullopt;
    const std::uint32_t width = std::min<std::uint32_t>(field.reportSize, 32);
    std::uint32_t value = 0;
    for (std::uint32_t bit = 0; bit < width; ++bit) {
        const std::uint64_t at = start + bit;
        if ((report[at / 8] >> (at % 8)) & 1u) value |= 1u << bit;
    }
    return value;
}

// The raw bits as a logical value: sign-extended when the logical range
// reaches below zero.
std::int64_t Logical(std::uint32_t raw, const HidField& field) {
    if (field.logicalMin >= 0) return raw;
    if (field.reportSize >= 32) return static_cast<std::int32_t>(raw);
    const std::uint32_t sign = 1u << (field.reportSize - 1);
    return static_cast<std::int64_t>(raw ^ sign) - static_cast<std::int64_t>(sign);
}

// The logical value mapped onto the physical range (which, when not given,
// equals the logical range); nothing when the value lies outside the logical
// range or the range is empty.
std::optional<std::int32_t> Scaled(std::uint32_t raw, const HidField& field) {
    const std::int64_t logical = Logical(raw, field);
    const std::int64_t logicalMin = field.logicalMin, logicalMax = field.logicalMax;
    if (logicalMin >= logicalMax || logical < logicalMin || logical > logicalMax) return std::nullopt;
    if (field.physicalMin == 0 && field.physicalMax == 0) return static_cast<std::int32_t>(logical);
    // Both spans are below 2^32, so their product fits in 64 unsigned bits.
    const std::int64_t physicalSpan = std::int64_t{field.physicalMax} - field.physicalMin;
    const auto magnitude = static_cast<std::uint64_t>(physicalSpan < 0 ? -physicalSpan : physicalSpan);
    const std::uint64_t step = static_cast<std::uint64_t>(logical - logicalMin) * magnitude /
                               static_cast<std::uint64_t>(logicalMax - logicalMin);
    const std::int64_t offset = physicalSpan < 0 ? -static_cast<std::int64_t>(step) : static_cast<std::int64_t>(step);
    return static_cast<std::int32_t>(field.physicalMin + offset);
}

// The usages pressed in a button field, in element order.
std::optional<std::vector<std::uint16_t>> PressedUsages(std::span<const std::uint8_t> report, const HidField& field) {
    std::vector<std::uint16_t> pressed;
    for (std::size_t i = 0; i < field.reportCount; ++i) {
        const std::optional<std::uint32_t> raw = ReadElement(report, field, i);
        if (!raw) return std::nullopt;
        std::uint16_t usage = 0;
        if (!field.isArray) {
            if (*raw != 0) usage = VariableUsage(field, i);
        } else {
            const std::int64_t logical = Logical(*raw, field);
            if (logical >= field.logicalMin && logical <= field.logicalMax)
                usage = SelectedUsage(field, static_cast<std::uint32_t>(logical - field.logicalMin));
        }
        if (usage != 0) pressed.push_back(usage);
    }
    return pressed;
}

// Pressed usages inside the entry's range, packed to the front; the rest of
// the list is 0, so a 0 follows the last usage whenever there is room.
bool DecodeButtons(std::span<const std::uint8_t> report, const HidField& field, HidDataEntry& entry) {
    std::fill(entry.usageList.begin(), entry.usageList.end(), std::uint16_t{0});
    const auto pressed = PressedUsages(report, field);
    if (!pressed) return false;
    std::size_t kept = 0;
    for (const std::uint16_t usage : *pressed) {
        if (usage < entry.usageMin || usage > entry.usageMax) continue;
        if (kept == entry.usageList.size()) break;
        entry.usageList[kept++] = usage;
    }
    return true;
}

// The field an entry was built from, when the entry belongs to this
// collection and report type.
const HidField* FieldOf(const HidTopCollection& collection, const HidDataEntry& entry, HidReportType type) {
    if (entry.fieldIndex >= collection.fields.size()) return nullptr;
    const HidField& field = collection.fields[entry.fieldIndex];
    if (field.type != type || field.isButton != entry.isButton || field.reportId != entry.reportId) return nullptr;
    return &field;
}

HidDataEntry ButtonEntry(const HidField& field, std::uint32_t index) {
    HidDataEntry entry;
    entry.isButton = true;
    entry.usagePage = field.usagePage;
    entry.reportId = field.reportId;
    entry.fieldIndex = index;
    if (field.hasUsageRange) {
        entry.usageMin = field.usageMin;
        entry.usageMax = field.usageMax;
    } else if (!field.usages.empty()) {
        const auto [low, high] = std::minmax_element(field.usages.begin(), field.usages.end());
        entry.usageMin = *low;
        entry.usageMax = *high;
    }
    entry.usageList.assign(field.reportCount, 0);
    return entry;
}

HidDataEntry ValueEntry(const HidField& field, std::uint32_t index, std::uint16_t element) {
    HidDataEntry entry;
    entry.usagePage = field.usagePage;
    entry.reportId = field.reportId;
    entry.usage = VariableUsage(field, element);
    entry.fieldIndex = index;
    entry.elementIndex = element;
    return entry;
}

}  // namespace

std::optional<std::vector<HidTopCollection>> ParseReportDescriptor(std::span<const std::uint8_t> descriptor) {
    return DescriptorParser().Parse(descriptor);
}

std::vector<HidDataEntry> BuildDataEntries(const HidTopCollection& collection, HidReportType type) {
    std::vector<HidDataEntry> entries;
    const auto fieldsOf = [&](bool buttons, auto&& add) {
        for (std::uint32_t i = 0; i < collection.fields.size(); ++i) {
            const HidField& field = collection.fields[i];
            if (field.type == type && !field.isConstant && field.isButton == buttons) add(field, i);
        }
    };
    fieldsOf(true, [&](const HidField& field, std::uint32_t i) {
        if (entries.size() < kMaxDataEntries) entries.push_back(ButtonEntry(field, i));
    });
    // One entry per usage of a value field, at most one per element; a field
    // without usages still gives one entry (usage 0).
    fieldsOf(false, [&](const HidField& field, std::uint32_t i) {
        const std::size_t count = std::max<std::size_t>(1, std::min<std::size_t>(UsageCount(field), field.reportCount));
        for (std::size_t element = 0; element < count && entries.size() < kMaxDataEntries; ++element)
            entries.push_back(ValueEntry(field, i, static_cast<std::uint16_t>(element)));
    });
    return entries;
}

bool UnpackReport(std::span<const std::uint8_t> report, HidReportType type, std::span<HidDataEntry> entries,
                  const HidTopCollection& collection) {
    if (report.empty()) return false;
    for (HidDataEntry& entry : entries) {
        if (entry.reportId != report[0]) continue;
        const HidField* field = FieldOf(collection, entry, type);
        if (entry.isButton) {
            entry.lastDecodeOk = field && DecodeButtons(report, *field, entry);
        } else {
            const std::optional<std::uint32_t> raw =
                field ? ReadElement(report, *field, entry.elementIndex) : std::nullopt;
            if (!raw) {
                entry.lastDecodeOk = false;
                return false;
            }
            entry.rawValue = *raw;
            const std::optional<std::int32_t> scaled = Scaled(*raw, *field);
            entry.scaledValue = scaled.value_or(0);
            entry.lastDecodeOk = scaled.has_value();
        }
        entry.isSet = true;
    }
    return true;
}

}  // namespace vandrel::platform
