#include "profiles/json_file_store.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/file_backup.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/trace.h"
#include "profiles/plain_json_parser.h"
#include "profiles/styled_json_writer.h"
#include "profiles/utf_text.h"

namespace vandrel::profiles {
namespace {

bool NeedsRepair(const Json::Value& value) {
    if (value.isString()) {
        const char* begin = nullptr;
        const char* end = nullptr;
        return value.getString(&begin, &end) && !IsValidUtf8(std::string_view(begin, end - begin));
    }
    if (value.isArray()) {
        for (const Json::Value& element : value)
            if (NeedsRepair(element)) return true;
    }
    if (value.isObject()) {
        for (auto it = value.begin(); it != value.end(); ++it)
            if (!IsValidUtf8(it.name()) || NeedsRepair(*it)) return true;
    }
    return false;
}

}  // namespace

bool RepairUtf8(Json::Value& value) {
    if (!NeedsRepair(value)) return false;
    if (value.isString()) {
        value = SanitizeUtf8(value.asString());
    } else if (value.isArray()) {
        for (Json::Value& element : value) RepairUtf8(element);
    } else if (value.isObject()) {
        Json::Value repaired(Json::objectValue);
        for (const std::string& name : value.getMemberNames()) {
            Json::Value member = value[name];
            RepairUtf8(member);
            // A repaired name that meets an existing one keeps the first.
            const std::string fixed = SanitizeUtf8(name);
            if (!repaired.isMember(fixed)) repaired[fixed] = std::move(member);
        }
        value = std::move(repaired);
    }
    return true;
}

void AppendStyledText(const Json::Value& value, std::string& out) {
    const std::size_t start = out.size();
    if (!CStyledJsonWriter(out).Write(value)) {
        // A comment, or text to repair first: jsoncpp's own writer.
        out.resize(start);
        Json::StyledWriter writer;
        if (NeedsRepair(value)) {
            Json::Value repaired = value;
            RepairUtf8(repaired);
            out += writer.write(repaired);
        } else {
            out += writer.write(value);
        }
    }
    out += '\n';
}

std::string StyledText(const Json::Value& value) {
    std::string text;
    AppendStyledText(value, text);
    return text;
}

Json::Value ParseJson(std::string_view text) {
    Json::Value root;
    if (ParsePlainJson(text, root)) return root;

    // Comments (accepted, not kept), and everything else beyond plain JSON,
    // are jsoncpp's to judge.
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    builder["failIfExtra"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    root = Json::Value();
    std::string errors;
    try {
        if (reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return root;
    } catch (const std::exception&) {
        // Nesting deeper than the reader's stack limit: malformed like any other.
    }
    return Json::Value();
}

CJsonFileStore::CJsonFileStore() = default;

CJsonFileStore::CJsonFileStore(RenameFunction rename) : rename_(std::move(rename)) {}

std::string CJsonFileStore::ReadText(const std::string& path) const {
    platform::FileRead read = platform::ReadFileSafely(path);
    if (read.Exists() && !read.Ok()) platform::Trace("json store: cannot read " + path + ": " + read.reason);
    return read.Ok() ? std::move(read.text) : std::string();
}

Json::Value CJsonFileStore::ReadJson(const std::string& path) const {
    const std::string text = ReadText(path);
    if (text.empty()) return Json::Value();
    Json::Value value = ParseJson(text);
    if (value.isNull()) platform::Trace("json store: not valid JSON: " + path);
    return value;
}

Json::Value CJsonFileStore::ReadDocument(const std::string& path, std::string* text) const {
    platform::FileRead read = platform::ReadFileSafely(path);
    if (read.status == platform::ReadStatus::kMissing) return Json::Value();
    if (read.Ok() && read.text.empty()) return Json::Value();  // nothing in it to lose
    std::string reason = read.reason;
    if (read.Ok()) {
        Json::Value document = ParseJson(read.text);
        if (document.isObject()) {
            if (text != nullptr) *text = std::move(read.text);
            return document;
        }
        reason = document.isNull() ? "not valid JSON" : "not a JSON object";
    }
    platform::SetAsideOrProtect(path, reason);
    return Json::Value();
}

WriteStatus CJsonFileStore::WriteJson(const std::string& path, const Json::Value& value) const {
    // Kept from one write to the next: a profile is written on every change,
    // and a new buffer of its size costs its growth and page faults each time.
    thread_local std::string text;
    constexpr std::size_t kKeptCapacity = 4 * 1024 * 1024;
    text.clear();
    AppendStyledText(value, text);
    const WriteStatus result = WriteText(path, text);
    if (text.capacity() > kKeptCapacity) std::string().swap(text);
    return result;
}

WriteStatus CJsonFileStore::WriteText(const std::string& path, std::string_view text) const {
    return platform::WriteFileAtomically(path, text, rename_) ? WriteStatus::Ok : WriteStatus::Failed;
}

std::string CJsonFileStore::NewProfileId() {
    using namespace std::chrono;
    static std::mutex mutex;
    static std::int64_t lastMillis = 0;

    std::int64_t millis = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    {
        std::lock_guard lock(mutex);
        if (millis <= lastMillis) millis = lastMillis + 1;
        lastMillis = millis;
    }
    const auto seconds = static_cast<std::time_t>(millis / 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis % 1000));
    return text;
}

std::string CJsonFileStore::FileTitle(std::string_view path) {
    const auto slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return std::string(name);
}

}  // namespace vandrel::profiles
