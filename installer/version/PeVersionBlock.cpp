#include "installer/version/PeVersionBlock.h"
#include "platform/core/runtime/Codepage.h"
#include "platform/core/runtime/PathCase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace installer {
namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVsVersionInfoId = 1;
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
// wLength of the root node is 16 bits: no version block is larger.
constexpr std::size_t kMaxBlock = 0xFFFF;
constexpr int kMaxDepth = 8;

// Random access to the bytes of a file or an image; false when out of range.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool ReadAt(std::uint64_t offset, std::size_t count, std::uint8_t* out) const = 0;

    bool U16(std::uint64_t offset, std::uint16_t& v) const {
        std::uint8_t b[2];
        if (!ReadAt(offset, 2, b)) return false;
        v = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool U32(std::uint64_t offset, std::uint32_t& v) const {
        std::uint8_t b[4];
        if (!ReadAt(offset, 4, b)) return false;
        v = static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
            (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
        return true;
    }
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, std::size_t count, std::uint8_t* out) const override {
        if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
        if (count) std::memcpy(out, bytes_.data() + offset, count);
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(const std::filesystem::path& path) : file_(std::fopen(path.c_str(), "rb"), &std::fclose) {
        std::error_code ec;
        if (file_ && std::filesystem::is_regular_file(path, ec)) {
            auto size = std::filesystem::file_size(path, ec);
            if (!ec) size_ = size;
        }
    }
    bool Open() const { return file_ != nullptr; }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, std::size_t count, std::uint8_t* out) const override {
        if (!file_ || offset > size_ || count > size_ - offset) return false;
        if (fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
        return std::fread(out, 1, count, file_.get()) == count;
    }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
    std::uint64_t size_ = 0;
};

class HostFileSource : public ByteSource {
public:
    explicit HostFileSource(platform::HostFile& file) : file_(file) {}
    std::uint64_t Size() const override {
        const std::int64_t size = file_.Size();
        return size > 0 ? static_cast<std::uint64_t>(size) : 0;
    }
    bool ReadAt(std::uint64_t offset, std::size_t count, std::uint8_t* out) const override {
        return file_.Seek(static_cast<std::int64_t>(offset)) && file_.ReadExact(out, count);
    }

private:
    platform::HostFile& file_;
};

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
};

// File offset of a relative virtual address, through the section table.
std::optional<std::uint64_t> RvaToOffset(const std::vector<Section>& sections, std::uint32_t rva) {
    for (const auto& s : sections) {
        const std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
            const std::uint64_t delta = rva - s.virtualAddress;
            if (delta >= s.rawSize) return std::nullopt;  // not backed by file data
            return static_cast<std::uint64_t>(s.rawPointer) + delta;
        }
    }
    return std::nullopt;
}

struct DirEntry {
    std::uint32_t nameOrId = 0;
    std::uint32_t offset = 0;
    bool IsDirectory() const { return (offset & 0x80000000u) != 0; }
    bool IsNamed() const { return (nameOrId & 0x80000000u) != 0; }
    std::uint32_t Target() const { return offset & 0x7FFFFFFFu; }
};

// Entries of one resource directory at dirOffset (relative to the resource base).
std::optional<std::vector<DirEntry>> ReadDirectory(const ByteSource& src, std::uint64_t base, std::uint64_t limit,
                                                   std::uint32_t dirOffset) {
    if (dirOffset > limit || limit - dirOffset < 16) return std::nullopt;
    std::uint16_t named = 0, ids = 0;
    if (!src.U16(base + dirOffset + 12, named) || !src.U16(base + dirOffset + 14, ids)) return std::nullopt;
    const std::uint64_t count = static_cast<std::uint64_t>(named) + ids;
    if (count * 8 > limit - dirOffset - 16) return std::nullopt;
    std::vector<DirEntry> entries(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = base + dirOffset + 16 + i * 8;
        if (!src.U32(at, entries[i].nameOrId) || !src.U32(at + 4, entries[i].offset)) return std::nullopt;
    }
    return entries;
}

// The entry with the wanted id, else the first one; never a named entry when an id is found.
const DirEntry* Pick(const std::vector<DirEntry>& entries, std::optional<std::uint32_t> id) {
    if (id)
        for (const auto& e : entries)
            if (!e.IsNamed() && e.nameOrId == *id) return &e;
    return entries.empty() ? nullptr : &entries.front();
}

std::optional<std::vector<std::uint8_t>> ReadFromSource(const ByteSource& src) {
    std::uint16_t mz = 0;
    if (!src.U16(0, mz) || mz != 0x5A4D) return std::nullopt;
    std::uint32_t peOffset = 0;
    if (!src.U32(0x3C, peOffset)) return std::nullopt;
    std::uint8_t sig[4];
    if (!src.ReadAt(peOffset, 4, sig) || std::memcmp(sig, "PE\0\0", 4) != 0) return std::nullopt;
    const std::uint64_t coff = static_cast<std::uint64_t>(peOffset) + 4;
    std::uint16_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!src.U16(coff + 2, sectionCount) || !src.U16(coff + 16, optionalSize)) return std::nullopt;
    const std::uint64_t opt = coff + 20;
    if (!src.U16(opt, magic)) return std::nullopt;
    std::uint64_t countField = 0, dirsField = 0;
    if (magic == 0x10B) {
        countField = 92;
        dirsField = 96;
    } else if (magic == 0x20B) {
        countField = 108;
        dirsField = 112;
    } else {
        return std::nullopt;
    }
    std::uint32_t dirCount = 0;
    if (optionalSize < countField + 4 || !src.U32(opt + countField, dirCount) || dirCount < 3) return std::nullopt;
    if (optionalSize < dirsField + 3 * 8) return std::nullopt;
    std::uint32_t rsrcRva = 0, rsrcSize = 0;
    if (!src.U32(opt + dirsField + 16, rsrcRva) || !src.U32(opt + dirsField + 20, rsrcSize) || rsrcRva == 0)
        return std::nullopt;

    std::vector<Section> sections;
    const std::uint64_t table = opt + optionalSize;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        Section s;
        const std::uint64_t at = table + static_cast<std::uint64_t>(i) * 40;
        if (!src.U32(at + 8, s.virtualSize) || !src.U32(at + 12, s.virtualAddress) || !src.U32(at + 16, s.rawSize) ||
            !src.U32(at + 20, s.rawPointer))
            return std::nullopt;
        sections.push_back(s);
    }
    const auto base = RvaToOffset(sections, rsrcRva);
    if (!base) return std::nullopt;
    // Directory offsets may not leave the resource data in the file.
    const std::uint64_t limit = std::min<std::uint64_t>(std::max<std::uint32_t>(rsrcSize, 16), src.Size() - *base);

    // Three levels: type, name, language.
    auto types = ReadDirectory(src, *base, limit, 0);
    if (!types) return std::nullopt;
    const DirEntry* type = nullptr;
    for (const auto& e : *types)
        if (!e.IsNamed() && e.nameOrId == kRtVersion) type = &e;
    if (!type || !type->IsDirectory()) return std::nullopt;
    auto names = ReadDirectory(src, *base, limit, type->Target());
    if (!names) return std::nullopt;
    const DirEntry* name = Pick(*names, kVsVersionInfoId);
    if (!name || !name->IsDirectory()) return std::nullopt;
    auto languages = ReadDirectory(src, *base, limit, name->Target());
    if (!languages) return std::nullopt;
    const DirEntry* language = Pick(*languages, std::nullopt);
    if (!language || language->IsDirectory()) return std::nullopt;
    const std::uint32_t dataEntry = language->Target();
    if (dataEntry > limit || limit - dataEntry < 16) return std::nullopt;
    std::uint32_t dataRva = 0, dataSize = 0;
    if (!src.U32(*base + dataEntry, dataRva) || !src.U32(*base + dataEntry + 4, dataSize)) return std::nullopt;
    const auto dataOffset = RvaToOffset(sections, dataRva);
    if (!dataOffset || dataSize < 6) return std::nullopt;
    if (*dataOffset >= src.Size()) return std::nullopt;
    const std::uint64_t available = src.Size() - *dataOffset;
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>({dataSize, kMaxBlock, available}));
    if (size < 6) return std::nullopt;
    std::vector<std::uint8_t> block(size);
    if (!src.ReadAt(*dataOffset, size, block.data())) return std::nullopt;
    return block;
}

std::uint16_t Word(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::size_t Align4(std::size_t v) { return (v + 3) & ~static_cast<std::size_t>(3); }

// UTF-16LE up to the first NUL or the end, as UTF-8; lone surrogates become U+FFFD.
// Sets consumed to the bytes read including the NUL.
std::string Utf16ToUtf8(std::span<const std::uint8_t> b, std::size_t& consumed) {
    std::string out;
    std::size_t i = 0;
    while (i + 1 < b.size()) {
        std::uint32_t u = Word(b, i);
        i += 2;
        if (u == 0) {
            consumed = i;
            return out;
        }
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < b.size()) {
            const std::uint32_t lo = Word(b, i);
            if (lo >= 0xDC00 && lo < 0xE000) {
                i += 2;
                platform::AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                continue;
            }
        }
        if (u >= 0xD800 && u < 0xE000) u = 0xFFFD;
        platform::AppendUtf8(out, u);
    }
    consumed = b.size();
    return out;
}

// One node of the VS_VERSIONINFO tree at `at`, confined to [at, end).
std::optional<VersionBlock::Node> ParseNode(std::span<const std::uint8_t> b, std::size_t at, std::size_t end,
                                            int depth) {
    if (depth > kMaxDepth || at + 6 > end) return std::nullopt;
    const std::size_t length = Word(b, at);
    const std::size_t valueLength = Word(b, at + 2);
    VersionBlock::Node node;
    node.type = Word(b, at + 4);
    if (length < 6 || length > end - at) return std::nullopt;
    const std::size_t nodeEnd = at + length;
    std::size_t consumed = 0;
    node.key = Utf16ToUtf8(b.subspan(at + 6, nodeEnd - (at + 6)), consumed);
    std::size_t pos = Align4(at + 6 + consumed);
    // Text values count 16-bit characters, binary values count bytes.
    const std::size_t valueBytes = node.type == 1 ? valueLength * 2 : valueLength;
    if (pos < nodeEnd && valueBytes) {
        const std::size_t n = std::min(valueBytes, nodeEnd - pos);
        // A text runs to its NUL even where the stored length is short.
        const std::size_t kept = node.type == 1 ? nodeEnd - pos : n;
        node.value.assign(b.begin() + pos, b.begin() + pos + kept);
        pos = Align4(pos + n);
    }
    while (pos + 6 <= nodeEnd) {
        auto child = ParseNode(b, pos, nodeEnd, depth + 1);
        if (!child) break;
        const std::size_t childLength = Word(b, pos);
        node.children.push_back(std::move(*child));
        pos = Align4(pos + childLength);
    }
    return node;
}

// Windows compares the keys of a version block without regard to case.
bool SameKey(const std::string& a, const std::string& b) {
    return platform::SameNameIgnoringCase(a, b);
}

}  // namespace

std::optional<VersionBlock> VersionBlock::Parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 6) return std::nullopt;
    auto root = ParseNode(bytes, 0, std::min(bytes.size(), kMaxBlock), 0);
    if (!root) return std::nullopt;
    VersionBlock block;
    block.root_ = std::move(*root);
    return block;
}

const VersionBlock::Node* VersionBlock::Find(const std::string& path) const {
    const Node* node = &root_;
    std::size_t i = 0;
    while (i < path.size()) {
        if (path[i] == '\\') {
            ++i;
            continue;
        }
        const std::size_t next = path.find('\\', i);
        const std::string part = path.substr(i, next == std::string::npos ? std::string::npos : next - i);
        const Node* found = nullptr;
        for (const auto& child : node->children)
            if (SameKey(child.key, part)) {
                found = &child;
                break;
            }
        if (!found) return nullptr;
        node = found;
        i = next == std::string::npos ? path.size() : next;
    }
    return node;
}

std::optional<FixedFileInfo> VersionBlock::Fixed() const {
    const auto& v = root_.value;
    if (v.size() < 52) return std::nullopt;
    std::uint32_t f[13];
    for (int i = 0; i < 13; ++i)
        f[i] = static_cast<std::uint32_t>(v[i * 4]) | (static_cast<std::uint32_t>(v[i * 4 + 1]) << 8) |
               (static_cast<std::uint32_t>(v[i * 4 + 2]) << 16) | (static_cast<std::uint32_t>(v[i * 4 + 3]) << 24);
    if (f[0] != kFixedSignature) return std::nullopt;
    return FixedFileInfo{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10], f[11], f[12]};
}

std::optional<std::vector<std::uint8_t>> VersionBlock::Value(const std::string& path) const {
    const Node* node = Find(path);
    if (!node) return std::nullopt;
    return node->value;
}

std::optional<std::string> VersionBlock::Text(const std::string& path) const {
    const Node* node = Find(path);
    if (!node || node == &root_) return std::nullopt;
    std::size_t consumed = 0;
    return Utf16ToUtf8(node->value, consumed);
}

std::optional<std::vector<std::uint8_t>> ReadPeVersionBlock(std::span<const std::uint8_t> image) {
    return ReadFromSource(MemorySource(image));
}

std::optional<std::vector<std::uint8_t>> ReadPeVersionBlockFromFile(const std::filesystem::path& hostPath) {
    FileSource src(hostPath);
    if (!src.Open()) return std::nullopt;
    return ReadFromSource(src);
}

std::optional<VersionBlock> ReadVersionBlock(platform::HostFile& file) {
    auto bytes = ReadFromSource(HostFileSource(file));
    if (!bytes) return std::nullopt;
    return VersionBlock::Parse(*bytes);
}

std::optional<VersionBlock> ReadVersionBlock(const std::filesystem::path& hostPath) {
    auto bytes = ReadPeVersionBlockFromFile(hostPath);
    if (!bytes) return std::nullopt;
    return VersionBlock::Parse(*bytes);
}

}  // namespace installer
