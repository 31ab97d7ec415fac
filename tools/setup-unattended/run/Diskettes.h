#pragma once
// The diskette path of a distribution, played without a user: the built
// setup.exe spans itself onto drive a: of the root, each full diskette moved
// into ROOT/diskettes/N when the next is asked for; an install from such a
// set puts disk 1 into a:, starts its setup.exe and swaps as it is asked.
#include <filesystem>
#include <string>
#include <vector>

#include "installer/install/DisketteShelf.h"
#include "installer/install/qt/QtAppServices.h"
#include "tools/setup-unattended/run/Unattended.h"

namespace unattended {

// A 1.44 MB diskette, used when the root's platform.ini gives drive a: no size.
inline constexpr const char* kDisketteCapacity = "1457664";

// Where the diskette set of a root lies: ROOT/diskettes/1, 2, ...
std::filesystem::path DisketteSet(const std::filesystem::path& root);

// Answers each disk prompt with OK after swapping the asked disk into a:
// (with no shelf, the prompts go to the user as usual).
class DisketteServices : public installer::QtAppServices {
public:
    explicit DisketteServices(installer::DisketteShelf* shelf, std::vector<std::string>* asked)
        : shelf_(shelf), asked_(asked) {}
    int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) override;
    bool PromptForDisk(const std::string& text) override;

private:
    bool Swapped(const std::string& text);
    installer::DisketteShelf* shelf_;
    std::vector<std::string>* asked_;
};

// setup.exe *TODISK for the distribution built into C:\DIST of root: the set
// is made anew in DisketteSet(root). Needs a QApplication.
Outcome TransferToDiskettes(const std::filesystem::path& root);

// Installs into options.root from the diskette set in the folder set (as
// TransferToDiskettes left it), then puts the set back. Needs a QApplication.
Outcome InstallFromDiskettes(Options options, const std::filesystem::path& set);

}  // namespace unattended
