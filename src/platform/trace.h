// The diagnostic trace: protocol frames and short fixed texts. Off by default;
// the --trace option turns it on and it writes to stderr unless a test or the
// program installs another sink.
#pragma once

#include <functional>
#include <string_view>

namespace vandrel::platform {

using TraceSink = std::function<void(std::string_view line)>;

bool TraceEnabled();
void SetTraceEnabled(bool enabled);
// Replaces where lines go (nullptr restores stderr). Thread-safe.
void SetTraceSink(TraceSink sink);
// Writes one line when the trace is on; lines from different threads never mix.
void Trace(std::string_view line);

}  // namespace vandrel::platform
