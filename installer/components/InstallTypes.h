#pragma once
// Small shared enumerations of the install tree.
#include <cstdint>
#include <initializer_list>

namespace installer {

enum TInstallType { itFull, itDefault, itCompact, itCustom };

// A set of install types.
class TInstallTypes {
public:
    TInstallTypes() = default;
    TInstallTypes(std::initializer_list<TInstallType> types) {
        for (auto t : types) Include(t);
    }
    bool Contains(TInstallType t) const { return (bits_ >> t) & 1u; }
    void Include(TInstallType t) { bits_ = static_cast<std::uint8_t>(bits_ | (1u << t)); }
    void Exclude(TInstallType t) { bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << t)); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TInstallTypes&) const = default;

private:
    std::uint8_t bits_ = 0;
};

enum TDistributeType { dtTraditional, dtWeb, dtTraditionalNet };

// The pass a file or file container is in.
enum TInstallFileState { ifsNone, ifsCompress, ifsInstall, ifsCopying };

// Registered type numbers of the classes of the tree.
inline constexpr int rtInstallGroup = 500;
inline constexpr int rtFileContainer = 1000;
inline constexpr int rtInstallFile = 2000;
inline constexpr int rtShellLinkGroup = 7000;
inline constexpr int rtShellLink = 8000;
inline constexpr int rtDialog = 9000;

}  // namespace installer
