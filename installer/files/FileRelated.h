#pragma once
// An install object that has an archive (".1", made by the archive
// component) and may fetch that archive from a net install location.
#include <cstdint>
#include <string>

#include "installer/compressor/TmslCompress.h"
#include "installer/components/InstallContainer.h"
#include "installer/netlocation/NetLocation.h"

namespace installer {

class TCustomPathSpecifier;

class TFileRelated : public TInstallObject {
public:
    explicit TFileRelated(TComponentOwner& owner);

    static constexpr const char* StaticClassName = "TFileRelated";
    std::string ClassName() const override { return StaticClassName; }

    // Where this object's archive lies locally: the downloaded copy, or the
    // net copy written when the distribution is built.
    std::string LocalArchivePath;
    TlzhCommand AddToArchive = lzcOverwrite;
    bool InfoRead = false;
    TDataReceivedEvent OnDataReceived;

    const std::string& ArchiveFile() const { return archiveFile_; }
    TCustomPathSpecifier* ArchiveFileType() const { return archiveFileType_; }
    bool Net() const { return net_; }
    TCustomNetInstallLocation* NetLocation() const { return netLocation_; }

    // The empty set stores [itFull].
    void SetInstallTypes(TInstallTypes types);

    // Virtual operations, in their order.
    virtual void DataReceived(const std::string& fileName, std::int64_t bytes, std::int64_t totalBytes,
                              std::int64_t fileSize, const char* buffer);
    virtual void Download();
    virtual bool IsArchiveAvailable();
    virtual void RecordLocalFile(const std::string& path);
    virtual void SetArchiveFile(const std::string& archiveFile);
    virtual void SetArchiveFileType(TCustomPathSpecifier* specifier);
    virtual void SetNet(bool net);
    virtual void SetNetLocation(TCustomNetInstallLocation* location);
    std::string GetArchiveFilePath() override;

    // The archive settings without the setters' rules: the compress pass
    // changes them for a child and puts them back.
    void PutArchive(TCustomPathSpecifier* type, const std::string& file) {
        archiveFileType_ = type;
        archiveFile_ = file;
    }

    bool FindRecordedLocalFile(std::string& path);
    TCustomNetInstallLocation* FindNetLocation();
    std::string NetSubdirectory();

    bool IsFileRelated() const override { return true; }
    void SetContainer(TInstallContainer* container) override;
    void SetReference(const std::string& property, TComponent* target) override;

protected:
    void AfterConstruction() override;
    void Loaded() override;
    void Notification(TComponent& removed) override;
    // The record key of this object: the setup's record + '\' + Name; empty
    // when either is unknown.
    std::string RecordSubKey();

private:
    std::string archiveFile_;
    TCustomPathSpecifier* archiveFileType_ = nullptr;
    bool archiveFileTypeSet_ = false;
    bool archiveFileTypeDefaulted_ = false;
    bool net_ = true;
    TCustomNetInstallLocation* netLocation_ = nullptr;
};

}  // namespace installer
