#pragma once
// Test helper: drive a: of a few diskettes, as the application services see
// it. Answering the prompt "Please insert disk n" with OK puts the diskette
// in the drive on a shelf (C:\Shelf\Disk<k>) and takes disk n from it.
#include <gtest/gtest.h>

#include <string>

#include "installer/base/services/AppServices.h"
#include "platform/sysroot/SystemRoot.h"

namespace installer::testing {

class DisketteDrive : public RecordingAppServices {
public:
    int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) override {
        const int answer = RecordingAppServices::ShowMessage(text, icon, buttons);
        if (text.rfind("Please insert disk ", 0) == 0) {
            EXPECT_EQ(icon, platform::MsgIcon::Question);
            EXPECT_EQ(buttons, platform::mbOKCancel);
            if (answer == platform::mrOk) Insert(std::stoi(text.substr(text.rfind(' ') + 1)));
        }
        return answer;
    }
    void Eject() {
        auto& files = platform::Files();
        const std::string out = Shelf(inDrive_);
        files.ForceDirectories(out);
        for (const auto& entry : files.FindFiles("A:\\")) files.MoveFile("A:\\" + entry.name, out + "\\" + entry.name, true);
    }
    void Insert(int disk) {
        auto& files = platform::Files();
        Eject();
        const std::string in = Shelf(disk);
        if (files.DirectoryExists(in))
            for (const auto& entry : files.FindFiles(in)) files.MoveFile(in + "\\" + entry.name, "A:\\" + entry.name, true);
        inDrive_ = disk;
    }
    static std::string Shelf(int disk) { return "C:\\Shelf\\Disk" + std::to_string(disk); }

private:
    int inDrive_ = 1;
};

}  // namespace installer::testing
