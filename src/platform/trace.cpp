#include "platform/trace.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace vandrel::platform {
namespace {

std::atomic<bool> g_enabled{false};
std::mutex g_sinkMutex;
TraceSink g_sink;

}  // namespace

bool TraceEnabled() { return g_enabled.load(std::memory_order_relaxed); }

void SetTraceEnabled(bool enabled) { g_enabled.store(enabled, std::memory_order_relaxed); }

void SetTraceSink(TraceSink sink) {
    std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(sink);
}

void Trace(std::string_view line) {
    if (!TraceEnabled()) return;
    std::lock_guard lock(g_sinkMutex);
    if (g_sink) {
        g_sink(line);
        return;
    }
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
}

}  // namespace vandrel::platform
