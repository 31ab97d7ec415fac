#include "platform/windows/progman/ProgramManager.h"

#include <algorithm>
#include <fstream>

#include "platform/core/hostio/HostIo.h"
#include "platform/core/hostio/ReplaceLock.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace platform {
namespace {

struct Item {
    std::string name, commandLine, directory, iconPath, x, y, iconIndex, hotKey;
};
struct Group {
    std::string name;
    std::vector<Item> items;
};

std::filesystem::path StateFile() { return CurrentSystemRoot().Path() / "progman.grp"; }
std::filesystem::path LogFile() { return CurrentSystemRoot().Path() / "progman.log"; }

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// The state file: "G<tab>name" opens a group, "I<tab>field..." adds an item to it.
std::vector<Group> LoadGroups() {
    std::vector<Group> groups;
    const auto text = ReadWholeFile(StateFile());
    if (!text) return groups;
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        const std::vector<std::string> f = SplitTabs(text->substr(start, end - start));
        start = end + 1;
        if (f.size() == 2 && f[0] == "G") groups.push_back({f[1], {}});
        else if (f.size() == 9 && f[0] == "I" && !groups.empty())
            groups.back().items.push_back({f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
    }
    return groups;
}

void SaveGroups(const std::vector<Group>& groups) {
    std::string text;
    for (const Group& g : groups) {
        text += "G\t" + g.name + "\n";
        for (const Item& i : g.items)
            text += "I\t" + i.name + "\t" + i.commandLine + "\t" + i.directory + "\t" + i.iconPath + "\t" + i.x + "\t" +
                    i.y + "\t" + i.iconIndex + "\t" + i.hotKey + "\n";
    }
    WriteFileAtomically(StateFile(), text);
}

Group* FindGroup(std::vector<Group>& groups, const std::string& name) {
    for (Group& g : groups)
        if (SameNameIgnoringCase(g.name, name)) return &g;
    return nullptr;
}

std::string Unquote(const std::string& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

std::string Arg(const ProgmanCommand& c, std::size_t i) { return i < c.arguments.size() ? c.arguments[i] : ""; }

bool HasControlCharacter(const ProgmanCommand& c) {
    for (const std::string& a : c.arguments)
        for (char ch : a)
            if (static_cast<unsigned char>(ch) < 0x20) return true;
    return false;
}

}  // namespace

std::optional<std::vector<ProgmanCommand>> ParseProgmanCommands(const std::string& text) {
    std::vector<ProgmanCommand> commands;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    };
    skipBlanks();
    while (i < text.size()) {
        if (text[i++] != '[') return std::nullopt;
        const std::size_t open = text.find('(', i);
        if (open == std::string::npos) return std::nullopt;
        ProgmanCommand command{platform::TrimSpaces(text.substr(i, open - i)), {}};
        if (command.name.empty()) return std::nullopt;
        i = open + 1;
        std::string argument;
        bool quoted = false, closed = false;
        for (; i < text.size() && !closed; ++i) {
            const char c = text[i];
            if (c == '"') quoted = !quoted;
            if (!quoted && (c == ',' || c == ')')) {
                command.arguments.push_back(Unquote(platform::TrimSpaces(argument)));
                argument.clear();
                closed = c == ')';
                continue;
            }
            argument += c;
        }
        if (!closed) return std::nullopt;
        skipBlanks();
        if (i >= text.size() || text[i++] != ']') return std::nullopt;
        commands.push_back(std::move(command));
        skipBlanks();
    }
    if (commands.empty()) return std::nullopt;
    return commands;
}

std::vector<std::string> SplitProgmanFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) {
            fields.emplace_back();
            continue;
        }
        fields.back() += c;
    }
    return fields;
}

bool ProgmanConversation::Open(const std::string& service, const std::string& topic) {
    open_ = SameNameIgnoringCase(service, "PROGMAN") && SameNameIgnoringCase(topic, "PROGMAN");
    return open_;
}

void ProgmanConversation::Close() {
    open_ = false;
    currentGroup_.clear();
    replacedAt_.reset();
}

std::optional<std::string> ProgmanConversation::Request(const std::string& item) {
    if (!open_) return std::nullopt;
    std::vector<Group> groups = LoadGroups();
    if (SameNameIgnoringCase(item, "Groups")) {
        std::string reply;
        for (const Group& g : groups) reply += g.name + "\r\n";
        return reply;
    }
    const Group* group = FindGroup(groups, item);
    if (!group) return std::nullopt;
    std::string reply = "\"" + group->name + "\",," + std::to_string(group->items.size()) + "\r\n";
    for (const Item& i : group->items)
        reply += "\"" + i.name + "\",\"" + i.commandLine + "\"," + i.directory + "," + i.iconPath + "," +
                 (i.x.empty() ? "0" : i.x) + "," + (i.y.empty() ? "0" : i.y) + "," +
                 (i.iconIndex.empty() ? "0" : i.iconIndex) + "," + (i.hotKey.empty() ? "0" : i.hotKey) + "\r\n";
    return reply;
}

bool ProgmanConversation::Execute(const std::string& commands) {
    if (!open_) return false;
    {
        std::ofstream log(LogFile(), std::ios::app | std::ios::binary);
        log << commands << '\n';
    }
    const auto parsed = ParseProgmanCommands(commands);
    if (!parsed) return false;
    // Read, change, write: one step for other setups, as with the registry and INI files.
    ReplaceLock lock(StateFile());
    std::vector<Group> groups = LoadGroups();
    for (const ProgmanCommand& c : *parsed) {
        if (HasControlCharacter(c)) return false;
        const std::string first = Arg(c, 0);
        if (SameNameIgnoringCase(c.name, "CreateGroup")) {
            if (first.empty()) return false;
            if (!FindGroup(groups, first)) groups.push_back({first, {}});
            currentGroup_ = first;
            replacedAt_.reset();
        } else if (SameNameIgnoringCase(c.name, "ShowGroup")) {
            if (!FindGroup(groups, first)) return false;
            if (!SameNameIgnoringCase(currentGroup_, first)) replacedAt_.reset();
            currentGroup_ = first;
        } else if (SameNameIgnoringCase(c.name, "AddItem")) {
            Group* group = FindGroup(groups, currentGroup_);
            if (!group || first.empty()) return false;
            Item item{Arg(c, 1), first, Arg(c, 6), Arg(c, 2), Arg(c, 4), Arg(c, 5), Arg(c, 3), Arg(c, 7)};
            if (item.name.empty()) item.name = ChangeFileExt(ExtractFileName(Unquote(platform::TrimSpaces(first))), "");
            const std::size_t at = std::min(replacedAt_.value_or(group->items.size()), group->items.size());
            group->items.insert(group->items.begin() + static_cast<std::ptrdiff_t>(at), item);
            replacedAt_.reset();
        } else if (SameNameIgnoringCase(c.name, "ReplaceItem")) {
            Group* group = FindGroup(groups, currentGroup_);
            if (!group) return false;
            auto it = std::find_if(group->items.begin(), group->items.end(),
                                   [&](const Item& i) { return SameNameIgnoringCase(i.name, first); });
            if (it == group->items.end()) return false;
            replacedAt_ = static_cast<std::size_t>(it - group->items.begin());
            group->items.erase(it);
        } else {
            return false;
        }
        SaveGroups(groups);
    }
    return true;
}

}  // namespace platform
