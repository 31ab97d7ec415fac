#pragma once
// Windows-profile INI files as the profile functions read and write them:
// sections and keys match ignoring case, the first match wins, values are
// trimmed. A write creates the file, the section or the key as needed, keeps
// every other line where it was and writes CR LF line ends. The file is read
// again on every call, so several objects on one file never disagree.
//
// Text is UTF-8 inside; a file that is not valid UTF-8 is read as
// Windows-1252. A write changes only the lines it touches: every other line
// keeps its bytes, and a new text is written in the file's own encoding (a
// text that code page cannot hold is refused). Writes replace the file
// atomically, each read-modify-write under a lock that other processes
// writing the same file wait for.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/runtime/Exception.h"

namespace platform {

class EIniFileError : public Exception {
public:
    using Exception::Exception;
};

class IniFile {
public:
    explicit IniFile(std::filesystem::path hostPath);

    const std::filesystem::path& FileName() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue = "") const;
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    bool SectionExists(const std::string& section) const;
    // Section names in file order; keys of the first matching section; its "key=value" lines.
    std::vector<std::string> ReadSections() const;
    std::vector<std::string> ReadSection(const std::string& section) const;
    std::vector<std::string> ReadSectionValues(const std::string& section) const;

    // Raise EIniFileError when the file cannot be written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void DeleteKey(const std::string& section, const std::string& key);
    void EraseSection(const std::string& section);

private:
    std::filesystem::path path_;
};

}  // namespace platform
