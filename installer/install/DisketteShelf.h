#pragma once
// Drive a: of the system root with a set of diskettes kept in numbered
// folders beside it: inserting disk n first puts the diskette in the drive
// back into its folder, then moves folder n's files into the drive. The
// disk prompts of the diskette transfer ("Please insert disk n") and of an
// install from diskettes ("Please insert disk #n") name the disk wanted.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace installer {

class DisketteShelf {
public:
    // disk(n): the host folder that holds diskette n while it is out of the drive.
    explicit DisketteShelf(std::function<std::filesystem::path(int)> disk) : disk_(std::move(disk)) {}
    // Puts the diskette in the drive back into its folder; the drive is left empty.
    void Eject();
    void Insert(int disk);

    // The disk number a disk prompt asks for, or nothing when the text is no disk prompt.
    static std::optional<int> AskedDisk(const std::string& prompt);

private:
    std::function<std::filesystem::path(int)> disk_;
    int inDrive_ = 1;
};

}  // namespace installer
