#pragma once
// Test helper: drive a: of a few diskettes, as the application services see
// it. Answering the prompt "Please insert disk n" with OK puts the diskette
// in the drive on a shelf (C:\Shelf\Disk<k>) and takes disk n from it.
#include <gtest/gtest.h>

#include <string>

#include "installer/base/services/AppServices.h"
#include "installer/install/DisketteShelf.h"
#include "platform/windows/sysroot/SystemRoot.h"

namespace installer::testing {

class DisketteDrive : public RecordingAppServices {
public:
    int ShowMessage(const std::string& text, platform::MsgIcon icon, int buttons) override {
        const int answer = RecordingAppServices::ShowMessage(text, icon, buttons);
        if (const auto disk = DisketteShelf::AskedDisk(text)) {
            EXPECT_EQ(icon, platform::MsgIcon::Question);
            EXPECT_EQ(buttons, platform::mbOKCancel);
            if (answer == platform::mrOk) Insert(*disk);
        }
        return answer;
    }
    void Eject() { shelf_.Eject(); }
    void Insert(int disk) { shelf_.Insert(disk); }
    static std::string Shelf(int disk) { return "C:\\Shelf\\Disk" + std::to_string(disk); }

private:
    DisketteShelf shelf_{[](int disk) { return platform::Files().HostPath(Shelf(disk)); }};
};

}  // namespace installer::testing
