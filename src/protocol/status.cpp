#include "protocol/status.h"

#include <algorithm>
#include <array>
#include <ostream>

namespace vandrel::protocol {
namespace {

struct NamedStatus {
    Status status;
    std::string_view name;
};

constexpr std::array kNames{
    NamedStatus{Status::Ok, "ok"},
    NamedStatus{Status::ReadFailed, "read failed"},
    NamedStatus{Status::WriteFailed, "write failed"},
    NamedStatus{Status::NoDevice, "no device behind the receiver"},
    NamedStatus{Status::RefusedFF, "refused 0xFF"},
    NamedStatus{Status::RefusedFE, "refused 0xFE"},
    NamedStatus{Status::BadBank, "bad bank"},
    NamedStatus{Status::Dropped, "dropped"},
};

}  // namespace

std::string_view StatusName(Status status) {
    const auto named = std::ranges::find(kNames, status, &NamedStatus::status);
    return named != kNames.end() ? named->name : "unknown";
}

std::ostream& operator<<(std::ostream& out, Status status) {
    return out << StatusName(status) << " (" << ToInt(status) << ')';
}

std::ostream& operator<<(std::ostream& out, LinkState link) {
    return out << (link == LinkState::Reachable ? "reachable" : "unreachable");
}

}  // namespace vandrel::protocol
