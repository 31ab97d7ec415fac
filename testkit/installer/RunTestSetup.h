#pragma once
// A small setup built in code for tests of the install run: an install on a
// form, a directory with two files, a recorder of the install's broadcasts,
// the setup executable and the source files in a fresh system root, and the
// main archive made by the install's own compress pass.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "installer/components/TreeBuilder.h"
#include "installer/files/InstallFile.h"
#include "installer/files/InstallGroup.h"
#include "installer/install/Install.h"
#include "installer/base/services/AppServices.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace installer::testing {

// Hears every broadcast of its container (type 9000, like a dialog) as "id".
class TMessageRecorder : public TInstallObject {
public:
    explicit TMessageRecorder(TComponentOwner& owner) : TInstallObject(owner) {}
    std::string ClassName() const override { return "TMessageRecorder"; }
    int RegisteredType() const override { return rtDialog; }
    void HandleMessage(TInstallContainer* sender, int id, TObject* parameter) override {
        TInstallObject::HandleMessage(sender, id, parameter);
        // Progress comes many times; one entry per run of them.
        if (!(id == imFileStatus && !Heard.empty() && Heard.back() == id)) Heard.push_back(id);
        if (id == imFileStatus)
            if (auto* status = dynamic_cast<TFileStatusParameter*>(parameter)) TotalPercents.push_back(status->TotalPercent);
        if (id == imDownloadStatus)
            if (auto* status = dynamic_cast<TDownloadStatusParameter*>(parameter)) DownloadPercents.push_back(status->Percent);
        if (OnMessage) OnMessage(id);
    }
    std::vector<int> Heard;
    std::vector<int> TotalPercents;
    std::vector<int> DownloadPercents;
    std::function<void(int)> OnMessage;
};

inline void WriteRootFile(const std::string& path, const std::string& bytes, double date = 0) {
    auto& files = platform::Files();
    files.ForceDirectories(platform::ExtractFileDir(path));
    {
        platform::FileStream out = files.Open(path, platform::FileMode::Create);
        out.WriteBuffer(bytes.data(), bytes.size());
    }
    if (date != 0) files.SetFileDateTime(path, date);
}

inline std::string ReadRootFile(const std::string& path) {
    platform::FileStream in = platform::Files().Open(path, platform::FileMode::Read);
    std::string bytes(static_cast<std::size_t>(in.Size()), '\0');
    bytes.resize(in.Read(bytes.data(), bytes.size()));
    return bytes;
}

inline constexpr const char* kSetupExe = "D:\\SETUP\\SETUP.EXE";
inline constexpr const char* kSourceDir = "C:\\Build\\src";
inline constexpr const char* kProgramText = "MZ vorel program\n";
// Big enough to take several buffers, so a Cancel is seen before the end.
inline const std::string kDataText = [] {
    std::string text;
    unsigned state = 12345;
    for (int i = 0; i < 400000; ++i) {
        state = state * 1103515245u + 12345u;
        text += static_cast<char>('a' + (state >> 16) % 26);
    }
    return text;
}();

// Lays down the setup executable and the source files once per root.
inline void PrepareSources() {
    WriteRootFile(kSetupExe, "MZ setup program", platform::EncodeDateTime(2001, 5, 4, 3, 2, 1));
    WriteRootFile(std::string(kSourceDir) + "\\VOREL.EXE", kProgramText, platform::EncodeDateTime(2002, 1, 2, 3, 4, 6));
    WriteRootFile(std::string(kSourceDir) + "\\Dados.db", kDataText, platform::EncodeDateTime(2003, 7, 8, 9, 10, 12));
}

// The components of the test setup: an install of "Vorel" into "\Vorel",
// a recorder, a directory "Data" with Dados.db and the program VOREL.EXE
// beside it; extra adds more before loading ends.
inline TInstall& AddTestComponents(TreeBuilder& b, const std::function<void(TreeBuilder&)>& extra = {}) {
    auto& ins = b.add<TInstall>("Install1").get();
    ins.SetDestDir("\\Vorel");
    ins.Information.ProductName = "Vorel";
    b.add<TMessageRecorder>("Recorder").ref("Container", "Install1");
    b.add<TInstallDirectory>("Directory1")
        .set([](TInstallDirectory& d) {
            d.SetDestDir("\\Data");
            d.Description = "Data files";
        })
        .ref("Container", "Install1")
        .ref("DestDirType", "psContainerDestDir")
        .ref("ArchiveFileType", "psContainerArchiveFile");
    b.add<TInstallFile>("ProgramFile")
        .set([](TInstallFile& f) {
            f.SetIncludeFromDir(kSourceDir);
            f.SetFileName("VOREL.EXE");
            f.SetDestName("VOREL.EXE");
        })
        .ref("Container", "Install1")
        .ref("DestDirType", "psContainerDestDir")
        .ref("ArchiveFileType", "psContainerArchiveFile");
    b.add<TInstallFile>("DataFile")
        .set([](TInstallFile& f) {
            f.SetIncludeFromDir(kSourceDir);
            f.SetFileName("Dados.db");
            f.SetDestName("Dados.db");
        })
        .ref("Container", "Directory1")
        .ref("DestDirType", "psContainerDestDir")
        .ref("ArchiveFileType", "psContainerArchiveFile");
    if (extra) extra(b);
    return ins;
}

// One setup program: its form, its tree, its install.
struct TestSetup {
    explicit TestSetup(std::vector<std::string> arguments = {"-sD:\\SETUP"},
                       const std::function<void(TreeBuilder&, TestSetup&)>& extra = {}) {
        TreeBuilder b(form);
        AddTestComponents(b, [&](TreeBuilder& builder) {
            if (extra) extra(builder, *this);
        });
        TInstall& ins = Install();
        ins.SetExeName(kSetupExe);
        ins.SetArguments(std::move(arguments));
        b.Finish();
    }
    ~TestSetup() { form.DestroyComponents(); }

    template <typename T>
    T& Get(const std::string& name) {
        return dynamic_cast<T&>(*form.FindComponent(name));
    }
    TInstall& Install() { return Get<TInstall>("Install1"); }
    TMessageRecorder& Recorder() { return Get<TMessageRecorder>("Recorder"); }
    TInstallFile& File(const std::string& name) { return Get<TInstallFile>(name); }
    TInstallDirectory& Directory() { return Get<TInstallDirectory>("Directory1"); }

    // The build: packs every file into the main archive.
    void Build() { Install().Compress({coForceNetFilesLocal}); }

    TComponentOwner form;
};

}  // namespace installer::testing
