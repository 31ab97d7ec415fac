#pragma once
// A file-related object that holds install files and further containers,
// owns an archive for them, runs the compress, copy and install passes over
// them, and relays every status code of its children upwards with its own
// progress totals. Groups, directories, the install engine and the
// database-engine installer are file containers.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "installer/components/FileStatusParameter.h"
#include "installer/files/FileRelated.h"

namespace installer {

class TCustomInstallFile;
class TFileContainer;
class TpsFileContainer;

using TInstallFileStatusEvent = std::function<void(TInstallContainer& file, int filePercent, int totalPercent)>;
using TInstallFileNewDiskEvent = std::function<void(TInstallContainer& file, int newDisk, std::string& path)>;
using TInstallFileNotifyEvent = std::function<void(TInstallContainer& file)>;
using TAfterInstallObjectsEvent = std::function<void(TInstallContainer& container, bool wasAborted)>;

enum TCompressOption {
    coAllInContainerArchive,  // every child goes into its container's archive
    coRelocateArchives,       // archives elsewhere are re-rooted under this container's archive directory
    coUnused2,
    coForceNetFilesLocal,     // net files are packed locally
    coForceFilesNet,          // every file counts as a net file
    coIncludeExcluded         // excluded children are packed too
};

enum class TPassKind { Compress = 1, Process = 2, Copy = 3 };

class TCompressOptions {
public:
    TCompressOptions() = default;
    TCompressOptions(std::initializer_list<TCompressOption> options) {
        for (auto o : options) bits_ |= 1u << o;
    }
    bool Contains(TCompressOption o) const { return (bits_ >> o) & 1u; }

private:
    unsigned bits_ = 0;
};

class TFileContainer : public TFileRelated {
public:
    explicit TFileContainer(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TFileContainer";
    std::string ClassName() const override { return StaticClassName; }

    std::int64_t Size = 0;  // bytes of the current pass
    std::int64_t Done = 0;  // bytes of the current pass already finished
    std::string Description;
    TInstallFileStatusEvent OnStatus;
    TInstallFileNewDiskEvent OnNewDisk;
    TInstallFileNotifyEvent OnReplacing;
    TInstallFileState State = ifsNone;
    bool FireAfterInstallObjects = true;
    TAfterInstallObjectsEvent OnAfterInstallObjects;
    TInstallContainerNotifyEvent OnBeforeInstallObjects;
    TpsFileContainer* PathSpecifier = nullptr;

    int RegisteredType() const override { return rtFileContainer; }
    void Install() override;
    void DoInformationEventControl(TInstallContainer* sender, int code, TObject* parameter) override;

    // Virtual operations, in their order.
    virtual bool CreatesPathSpecifier() const { return true; }
    virtual void DoNewDisk(TCustomInstallFile& file, TDiskParameter& disk);
    virtual void DoReplacing(TCustomInstallFile& file);
    virtual void DoStatus(TCustomInstallFile& file, TFileStatusParameter& status);
    virtual std::int64_t CalcSize(bool includeExcluded, bool recurse);
    // Compress runs with no option.
    virtual void RunPass(TPassKind kind);
    virtual void Copy();
    virtual void FreeFiles();
    virtual void Compress(TCompressOptions options);
    virtual std::int64_t CalcPackedSize(bool includeExcluded);
    virtual std::string GetLocalArchivePath();
    virtual std::int64_t FilesSize(bool includeExcluded);
    virtual std::int64_t TotalSize(bool includeExcluded);
    virtual void ReadArchiveInfo();
    virtual void ReadSourceInfo();
    virtual bool NeedsInstallNetLocation();

    int InstallFileCount() const;
    TCustomInstallFile* InstallFile(int index) const;
    bool HasNetFiles() const;
    TCustomInstallFile* FindFileByPath(const std::string& path) const;

    bool IsFileContainer() const override { return true; }
    std::string DescriptionText() const override { return Description; }

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Notification(TComponent& removed) override;

private:
    void CompressChildren(TCompressOptions options, const std::string& archiveDir);
    void RelayProgress(TInstallContainer* sender, TObject* parameter);
    void RelayWholeFile(TObject* parameter);
    [[noreturn]] void NilParameter() const;
};

// Raises IEFileContainer "... cannot delete the archive file ..." when an existing file cannot be deleted.
void DeleteArchiveFile(const std::string& owner, const std::string& path);

}  // namespace installer
