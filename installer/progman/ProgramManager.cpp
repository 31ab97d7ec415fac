#include "installer/progman/ProgramManager.h"

#include "installer/components/EngineContext.h"
#include "installer/translator/Translator.h"

namespace installer {
namespace {

// Program Manager splits arguments at commas: a name holding one is quoted.
std::string DdeArgument(const std::string& text) {
    return text.find(',') == std::string::npos ? text : "\"" + text + "\"";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

}  // namespace

EAIPMError::EAIPMError()
    : EAIPM(TranslateString("The TProgramManager object was unable to communicate with Program Manager")) {}

EAIPMCannotOpen::EAIPMCannotOpen()
    : EAIPMError(TranslateString("The TProgramManager object was unable to establish a link with Program Manager")) {}

EAIPMCannotOpenGroup::EAIPMCannotOpenGroup(std::string group)
    : EAIPMError(TranslateFmt("The TProgramManager object was unable to open the following group: %s", {group})),
      Group(std::move(group)) {}

EAIPMCannotCreateGroup::EAIPMCannotCreateGroup(std::string group)
    : EAIPMError(TranslateFmt("The TProgramManager object was unable to create the following group: %s", {group})),
      Group(std::move(group)) {}

EAIPMCannotAddItem::EAIPMCannotAddItem(std::string group, std::string command, std::string itemName)
    : EAIPMError(TranslateFmt(std::string("The TProgramManager object was unable to add the following program item: ") +
                                  "%s" + " to the following group: %s. The arguments passed to " +
                                  " Program Manager were: %s",
                              {itemName, group, command})),
      Group(std::move(group)),
      Command(std::move(command)),
      ItemName(std::move(itemName)) {}

EAIPMCannotReplaceItem::EAIPMCannotReplaceItem(std::string group, std::string itemName)
    : EAIPMError(TranslateFmt(std::string("The TProgramManager object was unable to replace the following program item: %s") +
                                  " to the following group: %s",
                              {itemName, group})),
      Group(std::move(group)),
      ItemName(std::move(itemName)) {}

TProgramManager::~TProgramManager() {
    if (open_) conversation_.Close();
}

void TProgramManager::Open() {
    if (open_) return;
    if (!conversation_.Open("PROGMAN", "PROGMAN")) throw EAIPMCannotOpen();
    open_ = true;
}

bool TProgramManager::Execute(const std::string& command) {
    if (command.size() > kMaxCommand) return false;
    return conversation_.Execute(command);
}

std::vector<std::string> TProgramManager::GetGroups() {
    Open();
    return Lines(conversation_.Request("Groups").value_or(""));
}

void TProgramManager::SelectGroup(const std::string& group) {
    Open();
    selectedGroup_.clear();
    lines_.clear();
    if (auto reply = conversation_.Request(group)) {
        lines_ = Lines(*reply);
        selectedGroup_ = group;
    }
}

int TProgramManager::ItemCount() const { return lines_.size() < 2 ? 0 : static_cast<int>(lines_.size()) - 1; }

std::string TProgramManager::ItemField(int index, int field) const {
    if (index <= 0 || index >= static_cast<int>(lines_.size()) || field < 1) return {};
    const std::vector<std::string> fields = platform::SplitProgmanFields(lines_[static_cast<std::size_t>(index)]);
    if (field > static_cast<int>(fields.size())) return {};
    std::string text = fields[static_cast<std::size_t>(field - 1)];
    if (text.size() > 1 && text.front() == '"') text.erase(0, 1);
    if (!text.empty() && text.back() == '"') text.pop_back();
    return text;
}

int TProgramManager::FindItem(const std::string& name) const {
    for (int i = 1; i <= ItemCount(); ++i)
        if (ItemName(i) == name) return i;
    return -1;
}

void TProgramManager::CreateGroup(const std::string& group) {
    Open();
    if (group.empty()) return;
    if (!Execute("[CreateGroup(\"" + group + "\")]")) throw EAIPMCannotCreateGroup(group);
    SelectGroup(group);
}

void TProgramManager::AddItem(const std::string& commandLine, const std::string& itemName, const std::string& iconPath,
                              int iconIndex, const std::string& defaultDir, int hotKey) {
    Open();
    if (selectedGroup_.empty()) return;
    const std::string group = selectedGroup_;
    if (!Execute("[ShowGroup(" + DdeArgument(group) + "," + "8)]")) throw EAIPMCannotOpenGroup(group);
    const std::string command = "[AddItem(" + commandLine + "," + DdeArgument(itemName) + "," + iconPath + "," +
                                std::to_string(iconIndex) + "," + ",," + defaultDir + "," + std::to_string(hotKey) + ")]";
    if (!Execute(command)) throw EAIPMCannotAddItem(group, command, itemName);
    SelectGroup(group);
}

void TProgramManager::ReplaceItem(const std::string& itemName) {
    Open();
    if (selectedGroup_.empty()) return;
    const std::string group = selectedGroup_;
    if (!Execute("[ShowGroup(" + DdeArgument(group) + "," + "8)]")) throw EAIPMCannotOpenGroup(group);
    if (!Execute("[ReplaceItem(\"" + itemName + "\")]")) throw EAIPMCannotReplaceItem(group, itemName);
    SelectGroup(group);
}

TProgramManager& GlobalProgramManager(EngineContext& context) { return context.Slot<TProgramManager>(); }

}  // namespace installer
