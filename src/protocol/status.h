// The status every protocol operation hands upwards, and the reachability of
// a device behind the receiver. Both are marked [[nodiscard]]: a caller acts
// on a status or discards it on purpose (static_cast<void>) with its reason.
//
// The numbers are part of the program's traces and messages (a failed
// settings write posts its status to the window): they never change.
#pragma once

#include <iosfwd>
#include <string_view>

namespace vandrel::protocol {

// (clang-format misreads an attribute in the head of an enum.)
// clang-format off
enum class [[nodiscard]] Status : int {
    Ok = 1,
    ReadFailed = 0,  // transport closed, read failed, timed out or cancelled
    WriteFailed = -1,
    NoDevice = -101,   // the receiver answered 0xAA
    RefusedFF = -102,  // reply byte 7 = 0xFF
    RefusedFE = -103,  // reply byte 7 = 0xFE
    BadBank = -201,    // whole-memory write to a bank other than 0
    Dropped = -301,    // a lighting frame gave way to a logged transaction: nothing was sent
};
// clang-format on

// The status's number, for traces, messages and the device layer's int results.
constexpr int ToInt(Status status) { return static_cast<int>(status); }

// A short English name ("ok", "refused 0xFF", ...); "unknown" for a number
// that is no Status.
std::string_view StatusName(Status status);
// The name and the number, e.g. "refused 0xFF (-102)".
std::ostream& operator<<(std::ostream& out, Status status);

// Whether the device behind a receiver answers; on the cable it always does.
// clang-format off
enum class [[nodiscard]] LinkState : int { Unreachable = 0, Reachable = 1 };
// clang-format on

std::ostream& operator<<(std::ostream& out, LinkState link);

}  // namespace vandrel::protocol
