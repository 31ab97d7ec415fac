#pragma once
// Program groups and items through Program Manager's DDE conversation: list
// the groups, select a group and read its items, create a group, add and
// replace items. The link opens on first use and stays open until the
// object goes. One instance per engine: GlobalProgramManager.
#include <string>
#include <vector>

#include "installer/base/Exceptions.h"
#include "platform/windows/progman/ProgramManager.h"

namespace installer {

class EngineContext;

// Every message is translated before use.
class EAIPM : public EAI {
public:
    using EAI::EAI;
};
class EAIPMError : public EAIPM {
public:
    EAIPMError();
protected:
    explicit EAIPMError(const std::string& translatedMessage) : EAIPM(translatedMessage) {}
};
class EAIPMCannotOpen : public EAIPMError {
public:
    EAIPMCannotOpen();
};
class EAIPMCannotOpenGroup : public EAIPMError {
public:
    explicit EAIPMCannotOpenGroup(std::string group);
    std::string Group;
};
class EAIPMCannotCreateGroup : public EAIPMError {
public:
    explicit EAIPMCannotCreateGroup(std::string group);
    std::string Group;
};
class EAIPMCannotAddItem : public EAIPMError {
public:
    EAIPMCannotAddItem(std::string group, std::string command, std::string itemName);
    std::string Group, Command, ItemName;
};
class EAIPMCannotReplaceItem : public EAIPMError {
public:
    EAIPMCannotReplaceItem(std::string group, std::string itemName);
    std::string Group, ItemName;
};

class TProgramManager {
public:
    TProgramManager() = default;
    ~TProgramManager();
    TProgramManager(const TProgramManager&) = delete;
    TProgramManager& operator=(const TProgramManager&) = delete;

    // Opens the link when it is not open; raises EAIPMCannotOpen.
    void Open();
    bool IsOpen() const { return open_; }

    std::vector<std::string> GetGroups();
    // Selects the group and reads its lines; no reply selects nothing.
    void SelectGroup(const std::string& group);
    const std::string& SelectedGroup() const { return selectedGroup_; }

    int ItemCount() const;
    // Field 1..8 of item 1..ItemCount, without its surrounding quotes; empty
    // for an index out of range. Fields split at commas outside quotes.
    std::string ItemField(int index, int field) const;
    std::string ItemName(int index) const { return ItemField(index, 1); }
    std::string ItemCommandLine(int index) const { return ItemField(index, 2); }
    std::string ItemDefaultDir(int index) const { return ItemField(index, 3); }
    std::string ItemIconPath(int index) const { return ItemField(index, 4); }
    std::string ItemXPos(int index) const { return ItemField(index, 5); }
    std::string ItemYPos(int index) const { return ItemField(index, 6); }
    std::string ItemIconIndex(int index) const { return ItemField(index, 7); }
    std::string ItemHotKey(int index) const { return ItemField(index, 8); }
    // The 1-based index of the first item of exactly that name, else -1.
    int FindItem(const std::string& name) const;

    void CreateGroup(const std::string& group);
    void AddItem(const std::string& commandLine, const std::string& itemName, const std::string& iconPath,
                 int iconIndex, const std::string& defaultDir, int hotKey);
    void ReplaceItem(const std::string& itemName);

    // Commands longer than the DDE buffer (255 characters) are refused as failed.
    static constexpr std::size_t kMaxCommand = 255;

private:
    bool Execute(const std::string& command);

    platform::ProgmanConversation conversation_;
    bool open_ = false;
    std::string selectedGroup_;
    std::vector<std::string> lines_;
};

// The engine's Program Manager, made on first use.
TProgramManager& GlobalProgramManager(EngineContext& context);

}  // namespace installer
