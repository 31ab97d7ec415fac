#pragma once
// Stand-in classes for tests of the tree: one per registered type, an
// install root, and a link that frees itself when its container goes.
#include <string>
#include <vector>

#include "installer/components/EngineContext.h"
#include "installer/components/InstallContainer.h"
#include "installer/components/InstallRoot.h"

namespace installer::testing {

// Every message a test component hears, as "Name:id".
inline std::vector<std::string>& Heard() {
    static std::vector<std::string> log;
    return log;
}

template <int Type>
class TTestObject : public TInstallObject {
public:
    TTestObject(TComponentOwner& owner, std::string className) : TInstallObject(owner), className_(std::move(className)) {
        ProcessWithContainer = Type == rtInstallGroup || Type == rtFileContainer || Type == rtInstallFile;
    }
    std::string ClassName() const override { return className_; }
    int RegisteredType() const override { return Type; }
    bool IsFileContainer() const override { return Type == rtInstallGroup || Type == rtFileContainer; }
    bool IsFileRelated() const override { return Type <= rtInstallFile; }
    bool IsInstallGroup() const override { return Type == rtInstallGroup; }
    std::string DescriptionText() const override { return Description; }
    std::string GetArchiveFilePath() override { return ArchivePath; }
    void HandleMessage(TInstallContainer* sender, int id, TObject* parameter) override {
        TInstallObject::HandleMessage(sender, id, parameter);
        Heard().push_back(Name() + ":" + std::to_string(id));
        if (OnMessage) OnMessage(id, parameter);
    }
    void Install() override {
        Heard().push_back(Name() + ":install");
        TInstallObject::Install();
    }
    void DoInformationEventControl(TInstallContainer* sender, int code, TObject* parameter) override {
        Heard().push_back(Name() + ":status " + std::to_string(code) + " from " + (sender ? sender->Name() : ""));
        SendStatus(*this, code, parameter);
    }

    std::string Description;
    std::string ArchivePath;
    std::function<void(int, TObject*)> OnMessage;

private:
    std::string className_;
};

class TTestGroup : public TTestObject<rtInstallGroup> {
public:
    explicit TTestGroup(TComponentOwner& owner) : TTestObject(owner, "TInstallGroup") {}
};
class TTestDirectory : public TTestObject<rtFileContainer> {
public:
    explicit TTestDirectory(TComponentOwner& owner) : TTestObject(owner, "TInstallDirectory") {}
};
class TTestBDE : public TTestObject<rtFileContainer> {
public:
    explicit TTestBDE(TComponentOwner& owner) : TTestObject(owner, "TInstallBDE") {}
};
class TTestFile : public TTestObject<rtInstallFile> {
public:
    explicit TTestFile(TComponentOwner& owner) : TTestObject(owner, "TInstallFile") {}
};
class TTestLinkGroup : public TTestObject<rtShellLinkGroup> {
public:
    explicit TTestLinkGroup(TComponentOwner& owner) : TTestObject(owner, "TMainLinkGroup") {}
};
class TTestDialog : public TTestObject<rtDialog> {
public:
    explicit TTestDialog(TComponentOwner& owner) : TTestObject(owner, "TDialogManager") {}
};

// A link that frees itself when its container is removed.
class TTestLink : public TTestObject<rtShellLink> {
public:
    explicit TTestLink(TComponentOwner& owner) : TTestObject(owner, "TInstallMainLink") {}
    void ContainerRemoved(TInstallContainer& container) override {
        const bool mine = &container == Container();
        TTestObject::ContainerRemoved(container);
        if (mine) Free();
    }
};

class TTestInstall : public TTestObject<rtFileContainer>, public TInstallRoot {
public:
    explicit TTestInstall(TComponentOwner& owner) : TTestObject(owner, "TInstall") {
        Context().GlobalInstall = this;
    }
    ~TTestInstall() override {
        if (Context().GlobalInstall == this) Context().GlobalInstall = nullptr;
    }
    TInstallContainer& InstallComponent() override { return *this; }
    bool InstallRunning() const override { return Running; }
    TDistributeType DistributeType() const override { return dtTraditional; }
    std::string ProductName() const override { return Product; }
    std::string SourceDir() const override { return Source; }
    bool HasSwitch(char letter) const override { return Switches.find(letter) != std::string::npos; }
    std::string SwitchArgument(char letter) const override { return letter == 'e' ? ExeArgument : std::string(); }

    bool Running = false;
    std::string Product = "Vorel Electronics";
    std::string Source = "D:\\Setup";
    std::string Switches;
    std::string ExeArgument;
    std::vector<std::string> UninstallKeys;
    void WriteUninstallEntries(const std::string& key) override { UninstallKeys.push_back(key); }

protected:
    void BeforeDestruction() override {
        if (Context().GlobalInstall == this) Context().GlobalInstall = nullptr;
        TTestObject::BeforeDestruction();
    }
};

}  // namespace installer::testing
