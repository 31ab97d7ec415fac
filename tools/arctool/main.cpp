// arctool: packs, lists, extracts and spans install archives through the
// installer's own archive component, for tests and reviewers.
//
//   arctool pack ARCHIVE [options] FILE...      a new archive
//   arctool add ARCHIVE [options] FILE...       add to an archive (made when missing)
//   arctool list ARCHIVE [options]              the headers, one member a line
//   arctool extract ARCHIVE DIR [options] [MEMBER...]   all members when none named
//   arctool span ARCHIVE DISKDIR [options]      disk files DISKDIR/<name>.1, .2, ...
//
// Options: --level none|fastest|default|max, --id N, --offset N,
// --overwrite always|never|version|date|versiondate, --disk-size BYTES,
// --name NAME (disk file name for span, default the archive's name),
// --root DIR (paths are Windows paths below that system root),
// --threads N (threads that deflate or inflate members; default one per core).
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include <filesystem>

#include "installer/archive/ArchiveCodec.h"
#include "installer/archive/ArchiveErrors.h"
#include "platform/core/runtime/Exception.h"
#include "platform/windows/sysroot/DateTime.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

using namespace installer;

namespace {

int Usage() {
    std::cerr << "usage: arctool pack|add ARCHIVE [--level L] [--id N] FILE...\n"
                 "       arctool list ARCHIVE [--offset N]\n"
                 "       arctool extract ARCHIVE DIR [--offset N] [--overwrite RULE] [MEMBER...]\n"
                 "       arctool span ARCHIVE DISKDIR [--offset N] [--disk-size BYTES] [--name NAME]\n"
                 "       (any command: --root DIR for Windows paths below a system root,\n"
                 "        --threads N for the threads that pack or extract, default one per core)\n";
    return 2;
}

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
};

bool Parse(int argc, char** argv, Args& out) {
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--", 0) == 0) {
            if (i + 1 >= argc) return false;
            out.options[a.substr(2)] = argv[++i];
        } else {
            out.positional.push_back(a);
        }
    }
    return true;
}

std::optional<long long> Number(const std::string& s) {
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (s.empty() || *end) return std::nullopt;
    return v;
}

std::string DateText(double date) {
    auto p = platform::DecodeDateTime(date);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second, p.ms);
    return buf;
}

// The codec with the tool's answers to its hooks: a missing disk of an
// extract is reported (not waited for), every disk of a span goes into the
// one folder, and an aborted run is noted.
class ToolArchive : public ArchiveCodec {
public:
    using ArchiveCodec::ArchiveCodec;
    enum class Disks { Refused, Reported, SameFolder };
    Disks disks = Disks::Refused;
    bool aborted = false;

protected:
    bool Handles(ArchiveEvent event) const override {
        return event == ArchiveEvent::Aborted || (event == ArchiveEvent::NewDisk && disks != Disks::Refused);
    }
    void Notify(ArchiveEvent event) override {
        if (event == ArchiveEvent::Aborted) aborted = true;
    }
    void NewDisk(int disk, std::string& folder) override {
        if (disks == Disks::Reported) std::cerr << "disk " << disk << " is missing in " << folder << "\n";
    }
};

// Where an extraction failed: the member, and for a set of disks the disk
// being read and its file (an error about opening a disk names its own).
std::string WhereItFailed(ToolArchive& c, const std::exception& e) {
    const auto* known = dynamic_cast<const ArchiveError*>(&e);
    const ArchiveErrorKind kind = known ? known->Kind() : ArchiveErrorKind::Corrupt;
    if (kind == ArchiveErrorKind::NotFound) return "";  // it names the entry asked for
    if (c.CurrentMember() < 0 || c.CurrentMember() >= c.Headers().Count()) return "";
    std::string where = " (member \"" + c.Headers().FileHeaders(c.CurrentMember()).FileName + "\"";
    const bool opening = kind == ArchiveErrorKind::WrongDisk || kind == ArchiveErrorKind::CannotOpenArchive;
    if (c.Headers().Spanned && c.CurrentDisk() > 0 && !opening)
        where += ", disk " + std::to_string(c.CurrentDisk()) + ": " +
                 platform::ChangeFileExt(c.CompressedFile(), "." + std::to_string(c.CurrentDisk()));
    return where + ")";
}

// Packs into a temporary file beside the archive and puts it in place only
// when whole: a refused or failed pack leaves no archive, and a failed add
// leaves the old one as it was.
void PackAndPublish(ToolArchive& c, const std::vector<std::string>& files, bool add, int id) {
    namespace fs = std::filesystem;
    const std::string archive = c.CompressedFile();
    const fs::path target = c.Host().ToHost(archive);
    const std::string partial = archive + ".partial" + std::to_string(::getpid());
    const fs::path staged = c.Host().ToHost(partial);
    std::error_code ec;
    struct Cleanup {
        const fs::path& staged;
        bool armed = true;
        ~Cleanup() {
            std::error_code ignored;
            if (armed) fs::remove(staged, ignored);
        }
    } cleanup{staged};
    if (add && fs::exists(target, ec)) {
        fs::copy_file(target, staged, fs::copy_options::overwrite_existing, ec);
        if (ec) throw platform::Exception("Cannot create the file " + partial + ": " + ec.message());
    }
    c.SetCompressedFile(partial);
    c.SetFilesToProcess(files);
    c.Compress(add, id);
    fs::rename(staged, target, ec);
    if (ec) throw platform::Exception("Cannot create the file " + archive + ": " + ec.message());
    cleanup.armed = false;
}

void List(ArchiveCodec& c) {
    int count = c.Count();
    std::cout << "members " << count << "\nspanned " << (c.Headers().Spanned ? 1 : 0) << "\n";
    for (int i = 0; i < count; ++i) {
        const TFileHeader& h = c.Headers().FileHeaders(i);
        std::cout << i << " number=" << h.MemberNumber << " date=" << DateText(h.FileDate)
                  << " size=" << h.UnpackedSize << " data=" << h.DataStart << ".." << h.LastDataPos
                  << " next=" << h.NextHeader << " packed=" << h.PackedSize << " disks=" << int(h.FirstDisk) << ".."
                  << int(h.LastDisk) << " id=" << h.FileID << " version=\"" << h.Version << "\" name=\"" << h.FileName
                  << "\"\n";
    }
}

int Run(const std::string& command, Args& args) {
    std::unique_ptr<platform::ScopedSystemRoot> root;
    std::shared_ptr<ArchiveHost> host = MakeHostPathArchiveHost();
    if (args.options.count("root")) {
        root = std::make_unique<platform::ScopedSystemRoot>(args.options["root"]);
        host = MakeSysrootArchiveHost();
    }
    ToolArchive c(host);
    if (args.positional.empty()) return Usage();
    c.SetCompressedFile(args.positional[0]);
    if (args.options.count("offset")) {
        auto v = Number(args.options["offset"]);
        if (!v || *v < 0 || *v > 0x7FFFFFFF) return Usage();
        c.Offset = static_cast<std::int32_t>(*v);
    }

    if (args.options.count("threads")) {
        auto v = Number(args.options["threads"]);
        if (!v || *v < 1 || *v > 1024) return Usage();
        c.Threads = static_cast<int>(*v);
    }

    if (command == "pack" || command == "add") {
        static const std::map<std::string, TCompressionLevel> levels = {
            {"none", colNone}, {"fastest", colFastest}, {"default", colDefault}, {"max", colMax}};
        if (args.options.count("level")) {
            auto it = levels.find(args.options["level"]);
            if (it == levels.end()) return Usage();
            c.CompressionLevel = it->second;
        }
        int id = 0;
        if (args.options.count("id")) {
            auto v = Number(args.options["id"]);
            if (!v) return Usage();
            id = static_cast<int>(*v);
        }
        if (args.positional.size() < 2) return Usage();
        PackAndPublish(c, {args.positional.begin() + 1, args.positional.end()}, command == "add", id);
        return 0;
    }
    if (command == "list") {
        List(c);
        return 0;
    }
    if (command == "extract") {
        static const std::map<std::string, TOverwriteType> rules = {{"always", TOverwriteType::owAlways},
                                                                    {"never", TOverwriteType::owNever},
                                                                    {"version", TOverwriteType::owVersion},
                                                                    {"date", TOverwriteType::owDate},
                                                                    {"versiondate", TOverwriteType::owVersionDate}};
        if (args.options.count("overwrite")) {
            auto it = rules.find(args.options["overwrite"]);
            if (it == rules.end()) return Usage();
            c.Overwrite = it->second;
        }
        if (args.positional.size() < 2) return Usage();
        c.ExtractDirectory = args.positional[1];
        std::vector<std::string> members(args.positional.begin() + 2, args.positional.end());
        if (members.empty())
            for (int i = 0; i < c.Count(); ++i) members.push_back(c.Headers().FileHeaders(i).FileName);
        c.disks = ToolArchive::Disks::Reported;
        c.SetFilesToProcess(members);
        try {
            c.Extract();
        } catch (const std::exception& e) {
            throw platform::Exception(e.what() + WhereItFailed(c, e));
        }
        if (c.aborted) std::cerr << "arctool: aborted\n";
        return c.aborted ? 1 : 0;
    }
    if (command == "span") {
        if (args.positional.size() != 2) return Usage();
        if (args.options.count("disk-size")) {
            auto v = Number(args.options["disk-size"]);
            if (!v || *v <= 0) return Usage();
            c.SpanDiskCapacity = *v;
        }
        std::string name = args.options.count("name") ? args.options["name"] : platform::ExtractFileName(args.positional[0]);
        // Every disk file goes into the same folder; their extensions differ.
        c.disks = ToolArchive::Disks::SameFolder;
        c.SpanToDisks(args.positional[1], platform::ChangeFileExt(name, ".1"));
        return 0;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    Args args;
    if (!Parse(argc, argv, args)) return Usage();
    try {
        return Run(argv[1], args);
    } catch (const std::exception& e) {
        std::cerr << "arctool: " << e.what() << "\n";
        return 1;
    }
}
