#pragma once
// The product information the install component carries; the uninstall
// entries take ProductName.
#include <string>

namespace installer {

struct TInstallInformation {
    std::string CompanyName = "My Company";
    std::string ProductName = "My product";
    std::string Version = "1.0";

    void Assign(const TInstallInformation& source) { *this = source; }
};

}  // namespace installer
