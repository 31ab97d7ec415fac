#include "platform/windows/idapinst/EngineConfig.h"

#include <algorithm>

#include "platform/core/runtime/LegacyText.h"
#include "platform/core/runtime/PathCase.h"
#include "platform/core/runtime/Text.h"

namespace platform {

std::optional<EngineConfig> EngineConfig::Parse(const std::string& text) {
    if (text.find('\0') != std::string::npos) return std::nullopt;
    std::string body = text;
    if (body.rfind("\xEF\xBB\xBF", 0) == 0) body.erase(0, 3);
    EngineConfig config;
    for (const std::string& raw : SplitTextLines(body)) {
        const std::string line = TrimBlanks(raw);
        const bool comment = line.empty() || line[0] == ';';
        if (!comment && line.front() == '[') {
            if (line.back() != ']') return std::nullopt;
            const std::string name = TrimBlanks(line.substr(1, line.size() - 2));
            if (name.empty()) return std::nullopt;
            config.sections_.push_back({name, {}});
            continue;
        }
        Line entry;
        if (comment) {
            entry.value = raw;
        } else {
            const auto equals = line.find('=');
            if (equals == std::string::npos || equals == 0 || config.sections_.empty()) return std::nullopt;
            entry.setting = true;
            entry.name = TrimBlanks(line.substr(0, equals));
            entry.value = TrimBlanks(line.substr(equals + 1));
        }
        if (config.sections_.empty())
            config.preamble_.push_back(entry.value);
        else
            config.sections_.back().lines.push_back(std::move(entry));
    }
    return config;
}

std::string EngineConfig::Text() const {
    std::string text;
    for (const std::string& line : preamble_) text += line + "\r\n";
    for (const Section& section : sections_) {
        text += "[" + section.name + "]\r\n";
        for (const Line& line : section.lines) text += (line.setting ? line.name + "=" + line.value : line.value) + "\r\n";
    }
    return text;
}

EngineConfig::Section* EngineConfig::find(const std::string& name) {
    for (Section& section : sections_)
        if (SameNameIgnoringCase(section.name, name)) return &section;
    return nullptr;
}

const EngineConfig::Section* EngineConfig::find(const std::string& name) const {
    return const_cast<EngineConfig*>(this)->find(name);
}

const EngineConfig::Line* EngineConfig::findSetting(const Section& section, const std::string& name) {
    for (const Line& line : section.lines)
        if (line.setting && SameNameIgnoringCase(line.name, name)) return &line;
    return nullptr;
}

void EngineConfig::append(Section& section, const std::string& name, const std::string& value) {
    // After the last setting, so blank lines that close the section stay last.
    auto at = section.lines.end();
    while (at != section.lines.begin() && !std::prev(at)->setting) --at;
    if (at == section.lines.begin()) at = section.lines.end();
    section.lines.insert(at, Line{true, name, value});
}

std::optional<std::string> EngineConfig::Value(const std::string& section, const std::string& name) const {
    const Section* s = find(section);
    if (!s) return std::nullopt;
    const Line* line = findSetting(*s, name);
    return line ? std::optional<std::string>(line->value) : std::nullopt;
}

void EngineConfig::Set(const std::string& section, const std::string& name, const std::string& value) {
    Section* s = find(section);
    if (!s) {
        sections_.push_back({section, {}});
        s = &sections_.back();
    }
    if (auto* line = const_cast<Line*>(findSetting(*s, name)))
        line->value = value;
    else
        append(*s, name, value);
}

void EngineConfig::MergeFrom(const EngineConfig& other) {
    for (const Section& theirs : other.sections_) {
        Section* ours = find(theirs.name);
        if (!ours) {
            sections_.push_back(theirs);
            continue;
        }
        for (const Line& line : theirs.lines)
            if (line.setting && !findSetting(*ours, line.name)) append(*ours, line.name, line.value);
    }
}

std::vector<std::string> EngineConfig::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : sections_) names.push_back(section.name);
    return names;
}

}  // namespace platform
