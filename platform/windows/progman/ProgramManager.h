#pragma once
// The Program Manager of the simulated Windows, as a DDE conversation with
// service and topic "PROGMAN" sees it. Its groups and items live in
// "<root>/progman.grp"; every command text it is sent is appended to
// "<root>/progman.log", one per line, whether it succeeds or not.
//
// Commands (an execute text holds one or more "[Name(arguments)]"):
//   CreateGroup(name)            makes the group when missing; it becomes the current group
//   ShowGroup(name, show)        the group must exist; it becomes the current group
//   AddItem(command line, name, icon path, icon index, x, y, directory, hot key)
//                                adds an item to the current group (where the last replaced one stood)
//   ReplaceItem(name)            removes the item of the current group, keeping its place for the next AddItem
// Arguments are separated by commas; a double-quoted stretch may hold commas,
// and an argument that is quoted as a whole loses its quotes.
//
// Requests: "Groups" answers the group names, one per line (CR LF); a group's
// name answers its description line ("name",,count) and one line per item:
// "name","command line",directory,icon path,x,y,icon index,hot key.
#include <optional>
#include <string>
#include <vector>

namespace platform {

class ProgmanConversation {
public:
    // True for service and topic "PROGMAN" (ignoring case).
    bool Open(const std::string& service, const std::string& topic);
    void Close();
    bool IsOpen() const { return open_; }

    // The answer to a request, or nothing (no such item, not open).
    std::optional<std::string> Request(const std::string& item);
    // Carries out the commands in order; false when one fails or the text is
    // no command (the commands before it stay done).
    bool Execute(const std::string& commands);

private:
    bool open_ = false;
    std::string currentGroup_;
    std::optional<std::size_t> replacedAt_;  // place of the item last replaced
};

// One parsed command, for tests and the stand-in: its name and arguments.
struct ProgmanCommand {
    std::string name;
    std::vector<std::string> arguments;
};
// The commands of an execute text; nothing when the text is malformed.
std::optional<std::vector<ProgmanCommand>> ParseProgmanCommands(const std::string& text);

// Splits a Program Manager reply line at the commas outside double quotes;
// each field keeps its quotes.
std::vector<std::string> SplitProgmanFields(const std::string& line);

}  // namespace platform
