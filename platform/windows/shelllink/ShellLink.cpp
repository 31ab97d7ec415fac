#include "platform/windows/shelllink/ShellLink.h"

#include <cassert>

#include "platform/core/runtime/Codepage.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "platform/windows/sysroot/WinPath.h"

namespace platform {
namespace {

constexpr std::uint32_t kHeaderSize = 0x4C;
// {00021401-0000-0000-C000-000000000046} in its stored byte order.
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kHasLinkInfo = 0x02;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr std::uint32_t kDriveRemovable = 2;
constexpr std::uint32_t kDriveFixed = 3;

void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// UTF-8 to UTF-16LE code units; a malformed byte becomes U+FFFD.
std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : -1;
        char32_t cp = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < utf8.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) ok = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

void PutUtf16(std::string& out, const std::u16string& text) {
    for (char16_t c : text) Put16(out, c);
}

// One string-data entry: its length in UTF-16 units, then the units.
void PutCountedString(std::string& out, const std::string& text, const char* what) {
    const std::u16string units = Utf16(text);
    if (units.size() > 0xFFFF) throw EShellLinkError(std::string("The shortcut's ") + what + " is too long");
    Put16(out, static_cast<std::uint32_t>(units.size()));
    PutUtf16(out, units);
}

// The link-info block: a volume id (drive type, no serial, empty label) and
// the local base path, with UTF-16 copies when the path is not plain ASCII.
std::string LinkInfo(const WinPath& target) {
    const std::string path = target.Text();
    const bool unicode = HasNonAscii(path);
    const std::uint32_t headerSize = unicode ? 0x24 : 0x1C;

    std::string volume;
    Put32(volume, 0x11);  // size: four fields and the empty label's terminator
    Put32(volume, target.drive == 'a' || target.drive == 'b' ? kDriveRemovable : kDriveFixed);
    Put32(volume, 0);     // serial number
    Put32(volume, 0x10);  // label offset
    volume += '\0';

    const std::string ansiPath = Utf8ToCp1252(path) + '\0';
    const std::uint32_t volumeOffset = headerSize;
    const auto basePathOffset = static_cast<std::uint32_t>(volumeOffset + volume.size());
    const auto suffixOffset = static_cast<std::uint32_t>(basePathOffset + ansiPath.size());
    std::string tail = volume + ansiPath + '\0';
    std::uint32_t basePathUnicodeOffset = 0, suffixUnicodeOffset = 0;
    if (unicode) {
        basePathUnicodeOffset = static_cast<std::uint32_t>(headerSize + tail.size());
        PutUtf16(tail, Utf16(path));
        Put16(tail, 0);
        suffixUnicodeOffset = static_cast<std::uint32_t>(headerSize + tail.size());
        Put16(tail, 0);
    }

    std::string info;
    Put32(info, static_cast<std::uint32_t>(headerSize + tail.size()));
    Put32(info, headerSize);
    Put32(info, kVolumeIdAndLocalBasePath);
    Put32(info, volumeOffset);
    Put32(info, basePathOffset);
    Put32(info, 0);  // no network location
    Put32(info, suffixOffset);
    if (unicode) {
        Put32(info, basePathUnicodeOffset);
        Put32(info, suffixUnicodeOffset);
    }
    assert(info.size() == headerSize);
    return info + tail;
}

}  // namespace

std::string ShellLinkBytes(const ShellLinkData& link) {
    WinPath target;
    if (!ParseWinPath(link.targetPath, "C:\\", target) || target.drive == 0 || link.targetPath.size() < 3 ||
        link.targetPath[1] != ':' || (link.targetPath[2] != '\\' && link.targetPath[2] != '/'))
        throw EShellLinkError("The shortcut's target is not a full path: " + link.targetPath);

    std::uint32_t flags = kHasLinkInfo | kIsUnicode;
    if (!link.workingDir.empty()) flags |= kHasWorkingDir;
    if (!link.arguments.empty()) flags |= kHasArguments;

    std::string out;
    Put32(out, kHeaderSize);
    out.append(reinterpret_cast<const char*>(kLinkClsid), sizeof kLinkClsid);
    Put32(out, flags);
    Put32(out, link.targetAttributes);
    out.append(24, '\0');  // creation, access and write times: not set
    Put32(out, link.targetSize);
    Put32(out, 0);  // icon index
    Put32(out, kShowNormal);
    Put16(out, link.hotKey);
    out.append(10, '\0');  // reserved
    assert(out.size() == kHeaderSize);

    out += LinkInfo(target);
    if (!link.workingDir.empty()) PutCountedString(out, link.workingDir, "working directory");
    if (!link.arguments.empty()) PutCountedString(out, link.arguments, "arguments");
    Put32(out, 0);  // terminal block of the extra data
    return out;
}

void SaveShellLink(ShellLinkData link, const std::string& linkPath) {
    WinFileSystem& files = Files();
    if (files.DirectoryExists(link.targetPath)) {
        link.targetAttributes = 0x10;
        link.targetSize = 0;
    } else if (files.FileExists(link.targetPath)) {
        link.targetAttributes = 0x20;
        link.targetSize = static_cast<std::uint32_t>(files.FileSize(link.targetPath));
    } else {
        link.targetAttributes = 0;
        link.targetSize = 0;
    }
    const std::string bytes = ShellLinkBytes(link);
    FileStream out = files.Open(linkPath, FileMode::Create);
    out.WriteBuffer(bytes.data(), bytes.size());
}

}  // namespace platform
