#pragma once
// The install component for one file. At build time it packs its source
// file into an archive (or copies it); at install time it decides by the
// overwrite rule whether to write its destination, replaces a file in use
// at the next restart, extracts the file from the archive (asking for
// disks, downloading a net archive), then registers it (help directory,
// shared-library counter, self-registration) and records it for the
// uninstaller.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "installer/files/FileContainer.h"
#include "installer/version/Overwrite.h"

namespace installer {

enum TInstallFileType {
    iftNormal,
    iftJustADLL,
    iftApplicationSpecificDLL,
    iftVendorSharedDLL,
    iftSystemWideDLL
};

class TCustomInstallFile : public TFileRelated {
public:
    explicit TCustomInstallFile(TComponentOwner& owner);
    // Splits the source path into IncludeFromDir and FileName.
    TCustomInstallFile(TComponentOwner& owner, const std::string& sourcePath);
    // The same, then sets Container.
    TCustomInstallFile(TComponentOwner& owner, TInstallContainer* container, const std::string& sourcePath);

    static constexpr const char* StaticClassName = "TInstallFile";
    std::string ClassName() const override { return StaticClassName; }

    TOverwriteType OverwriteMode = TOverwriteType::owAlways;
    bool RegisterAsHelp = false;
    bool RunAfterInstall = false;
    bool UpdateDLLCounter = false;
    TInstallFileNotifyEvent OnAfterCompress, OnAfterCopy, OnAfterInstall, OnBeforeCompress, OnBeforeCopy,
        OnBeforeInstall, OnReplacing;
    TInstallFileStatusEvent OnStatus;
    TInstallFileNewDiskEvent OnNewDisk;

    bool ActiveX() const { return activeX_; }
    const std::string& DestName() const { return destName_; }
    const std::string& FileName() const { return fileName_; }
    TInstallFileType FileType() const { return fileType_; }
    const std::string& IncludeFromDir() const { return includeFromDir_; }
    int UniqueID() const { return uniqueID_; }
    // The stored identifier, as the configuration gives it.
    void SetUniqueID(int id);

    TInstallFileState State() const { return state_; }
    // ifsCompress, ifsInstall or ifsCopying runs that pass.
    virtual void SetState(TInstallFileState state);

    // The file information from the archive or the source file.
    std::int64_t PackedSize() const { return packedSize_; }
    double FileDateTime() const { return fileDateTime_; }
    std::int64_t UnpackedSize() const { return unpackedSize_; }
    const std::string& Version() const { return version_; }
    bool InfoWasRead() const { return infoRead_; }
    // Size, date and version from the net file list.
    void SetNetInfo(std::int64_t size, double dateTime, const std::string& version) {
        unpackedSize_ = size;
        fileDateTime_ = dateTime;
        version_ = version;
        infoRead_ = true;
    }
    // Whether the destination existed, will be written, went to a temporary name.
    bool DestinationExisted() const { return destExisted_; }
    bool WillBeWritten() const { return willWrite_; }
    bool WrittenUnderTemporaryName() const { return tempName_; }
    // The name the extraction writes: DestName, or the temporary name.
    const std::string& ExtractName() const { return extractName_.empty() ? destName_ : extractName_; }

    std::string GetDestPath();
    bool HasOwnArchive() const;
    // IncludeFromDir with one trailing backslash + FileName.
    std::string MemberName() const;
    // The 72-byte record of the net file list.
    std::string NetFileRecord() const;
    void WriteNetFileRecord(std::string& stream) const { stream += NetFileRecord(); }
    // Marks this file as a net file of the distribution being built.
    void MarkDistributionNetFile(bool net) { distributionNetFile_ = net; }
    bool IsDistributionNetFile() const { return distributionNetFile_; }
    const std::string& CompressedInto() const { return compressedInto_; }

    // Virtual operations, in their order.
    virtual void AbortOperation();
    virtual void RegisterActiveXLibrary();
    virtual void RegisterActiveXProgram();
    virtual void ReplaceLockedFile();
    virtual void SetActiveX(bool activeX);
    virtual void SetDestName(const std::string& destName);
    virtual void SetFileName(const std::string& fileName);
    virtual void SetFileType(TInstallFileType fileType);
    virtual void SetIncludeFromDir(const std::string& dir);
    virtual void CompressFile();
    virtual void CopyToDestination();
    virtual void ReadInfoFromArchive();
    virtual void ReadInfoFromFile();
    virtual bool IsOLESelfRegister();
    virtual bool IncrementSharedDLLCount();

    void RegisterActiveX();
    int RegisteredType() const override { return rtInstallFile; }
    void Install() override;
    void ResumeAfterReboot() override;
    void WriteUninstallEntries(const std::string& registryKey) override;
    void SetContainer(TInstallContainer* container) override;
    void SetDestDir(const std::string& destDir) override;
    void SetDestDirType(TCustomPathSpecifier* specifier) override;
    std::string GetArchiveFilePath() override;

protected:
    void AfterConstruction() override;
    void BeforeDestruction() override;
    void Loaded() override;

private:
    void InitFromPath(const std::string& sourcePath);
    void AfterInstallSteps();
    void Keep();
    // True when an earlier install of the product left dest and it changed since.
    bool ChangedSinceInstalled(const std::string& dest);
    void Extract();
    void RegisterDelayedReplace();
    void ExtractWith(TTmslCompress& compressor);
    void AskForDisk(TTmslCompress& compressor, int disk, std::string& path);
    void ReportStatus(TTmslCompress& compressor, TlzhFileStats& stats);
    void CheckDuplicate(TInstallContainer* container, const std::string& dir, const std::string& fileName);
    void SourceChanged();
    void ApplyFileTypeDefaults();
    std::string SourceExtension() const;
    std::string DestinationDir();
    [[noreturn]] void BlankDestination() const;
    [[noreturn]] void BlankArchive() const;
    bool UseGlobalCompressor();
    std::string ChooseArchiveForInfo(bool& readIt);

    bool activeX_ = false;
    std::string destName_;
    std::string fileName_;
    TInstallFileType fileType_ = iftNormal;
    std::string includeFromDir_;
    int uniqueID_ = 0;
    bool idMarked_ = false;
    TInstallFileState state_ = ifsNone;

    std::int64_t packedSize_ = 0;
    double fileDateTime_ = 0;
    std::int64_t unpackedSize_ = 0;
    std::string version_;
    bool infoRead_ = false;
    bool destExisted_ = false;
    bool willWrite_ = false;
    bool tempName_ = false;
    // This run wrote the destination or found it the same as its own; a file
    // kept otherwise is not this product's to remove.
    bool installedHere_ = false;
    std::string extractName_;
    bool distributionNetFile_ = false;
    std::string compressedInto_;
};

using TInstallFile = TCustomInstallFile;

// A component name as the net file list stores it: cut to 39 bytes, so its
// 40-byte field keeps a terminator. The reader compares names in this form.
std::string NetRecordName(const std::string& componentName);

// The lowest free file identifier of the context, marked; 0 unmarked when all are taken.
int AllocateFileID(EngineContext& context, bool& marked);

}  // namespace installer
