#include "profiles/member_names.h"

#include <mutex>
#include <string>
#include <unordered_set>

namespace vandrel::profiles {

const char* MemberNames::Intern(std::string_view name) {
    if (name.size() > kMaxLength || name.find('\0') != std::string_view::npos) return nullptr;
    static std::mutex mutex;
    static std::unordered_set<std::string> names;  // elements never move
    const std::lock_guard lock(mutex);
    if (const auto found = names.find(std::string(name)); found != names.end()) return found->c_str();
    if (names.size() >= kMaxNames) return nullptr;
    return names.emplace(name).first->c_str();
}

const char* MemberNameCache::Intern(std::string_view name) {
    if (const auto found = known_.find(name); found != known_.end()) return found->second;
    const char* kept = MemberNames::Intern(name);
    // The key must outlive `name`, which may point into the text parsed.
    if (kept != nullptr) known_.emplace(std::string_view(kept, name.size()), kept);
    return kept;
}

}  // namespace vandrel::profiles
