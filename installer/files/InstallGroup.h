#pragma once
// The two file containers placed on the setup form: groups (which sit in
// the install or in another group) and directories.
#include <string>
#include <vector>

#include "installer/files/FileContainer.h"

namespace installer {

// Settings of a component-selection page; no page of this system reads them.
struct TInstallGroupDialogOptions {
    bool AllowChangeDir = true;
    bool AllowExcludeInclude = true;
    std::vector<std::string> Description;
    bool DisplayDirectory = true;
    std::string SmallIcon;  // icon bytes; empty: none

    void Assign(const TInstallGroupDialogOptions& source) { *this = source; }
};

class TCustomInstallGroup : public TFileContainer {
public:
    explicit TCustomInstallGroup(TComponentOwner& owner) : TFileContainer(owner) {}

    static constexpr const char* StaticClassName = "TCustomInstallGroup";
    std::string ClassName() const override { return StaticClassName; }

    const TInstallGroupDialogOptions& DialogOptions() const { return dialogOptions_; }
    void SetDialogOptions(const TInstallGroupDialogOptions& options) { dialogOptions_.Assign(options); }

    int RegisteredType() const override { return rtInstallGroup; }
    bool IsInstallGroup() const override { return true; }
    // Only the install or another group may hold a group; none means the install.
    void SetContainer(TInstallContainer* container) override;

private:
    TInstallGroupDialogOptions dialogOptions_;
};

class TInstallGroup : public TCustomInstallGroup {
public:
    using TCustomInstallGroup::TCustomInstallGroup;
    static constexpr const char* StaticClassName = "TInstallGroup";
    std::string ClassName() const override { return StaticClassName; }
};

class TInstallDirectory : public TFileContainer {
public:
    explicit TInstallDirectory(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TInstallDirectory";
    std::string ClassName() const override { return StaticClassName; }

    // Drops (and frees) every file whose source file is missing, last first.
    void RemoveMissingFiles();

protected:
    void AfterConstruction() override;
};

}  // namespace installer
