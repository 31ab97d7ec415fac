#include "platform/tables/CheckedKeys.h"

#include <fstream>

namespace platform {

// One line per file: its state, a tab, its path.
void CheckedKeys::Load() {
    if (loaded_) return;
    loaded_ = true;
    if (file_.empty()) return;
    std::ifstream in(file_);
    for (std::string line; std::getline(in, line);) {
        const auto tab = line.find('\t');
        if (tab != std::string::npos) states_[line.substr(tab + 1)] = line.substr(0, tab);
    }
}

bool CheckedKeys::FoundClean(const std::string& path, const std::string& state) {
    Load();
    auto it = states_.find(path);
    return it != states_.end() && it->second == state;
}

void CheckedKeys::NoteClean(const std::string& path, const std::string& state) {
    Load();
    states_[path] = state;
    if (file_.empty()) return;
    std::ofstream out(file_, std::ios::trunc);
    for (const auto& [p, s] : states_) out << s << '\t' << p << '\n';
}

}  // namespace platform
