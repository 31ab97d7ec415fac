#pragma once
// The database engine's configuration file, in a text format of our own:
// INI text whose sections are named like the engine's Settings tree in the
// registry ("[System\Init]", "[Drivers\Paradox\Init]",
// "[Databases\DBDEMOS\DB INFO]"), one "NAME=value" line per setting.
// Section and setting names match ignoring case; ';' starts a comment line.
// Comments and blank lines are kept where they stand, lines are written with
// CR LF ends.
#include <optional>
#include <string>
#include <vector>

namespace platform {

class EngineConfig {
public:
    // Nothing when the text is no such file: a NUL byte, a setting before
    // the first section, or a line that is neither section, setting, comment
    // nor blank.
    static std::optional<EngineConfig> Parse(const std::string& text);

    std::string Text() const;

    std::optional<std::string> Value(const std::string& section, const std::string& name) const;
    // Changes the first setting of that name, else adds it at the end of the
    // section (made at the end of the file when missing).
    void Set(const std::string& section, const std::string& name, const std::string& value);
    // Adds every section and setting of other that this one lacks, in
    // other's order; settings this one has keep their values.
    void MergeFrom(const EngineConfig& other);

    std::vector<std::string> SectionNames() const;

private:
    struct Line {
        bool setting = false;
        std::string name;   // setting name, trimmed
        std::string value;  // setting value, trimmed; the whole line otherwise
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };
    Section* find(const std::string& name);
    const Section* find(const std::string& name) const;
    static const Line* findSetting(const Section& section, const std::string& name);
    static void append(Section& section, const std::string& name, const std::string& value);

    std::vector<std::string> preamble_;  // comments and blank lines before the first section
    std::vector<Section> sections_;
};

}  // namespace platform
