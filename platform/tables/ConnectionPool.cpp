#include "platform/tables/ConnectionPool.h"

#include <sys/stat.h>

namespace platform {

namespace {
std::string AliasFor(size_t index) { return "t" + std::to_string(index); }
}  // namespace

PooledConnection ConnectionPool::Get(const std::vector<std::string>& paths,
                                                         const std::string& label) {
    std::string key;
    std::vector<std::pair<unsigned long long, unsigned long long>> identity;
    for (const auto& p : paths) {
        key += p;
        key += '\n';
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0) identity.emplace_back(st.st_dev, st.st_ino);
        else identity.emplace_back(0, 0);
    }
    auto it = entries_.find(key);
    if (it != entries_.end() && it->second.identity == identity) return it->second.pooled;

    auto db = std::make_shared<sqlite::Connection>(paths.front(), true, false, label);
    db->MapMemory();  // kept for the session: its queries read the same pages again
    for (size_t i = 1; i < paths.size(); ++i) {
        sqlite::Statement attach(*db, "ATTACH ? AS " + AliasFor(i));
        attach.Bind(1, paths[i]);
        attach.Step();
    }
    entries_[key] = Entry{{db, std::make_shared<IndexEstimates>()}, identity};
    return entries_[key].pooled;
}

}  // namespace platform
