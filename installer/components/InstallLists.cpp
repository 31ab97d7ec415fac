#include "installer/components/InstallLists.h"

#include "installer/translator/IException.h"

namespace installer {

void ContainerListError::Raise() {
    throw IEContainerList("Cannot add a blank entry to the TInstallContainerList object");
}

void InstallFileListError::Raise() {
    throw IECustomInstallFileList("Cannot add a blank entry to the TCustomInstallFileList object");
}

}  // namespace installer
