#include "app/data/ConcurrentWrite.h"

#include "platform/qt/qtglue/Messenger.h"
#include "platform/tables/EDBEngineError.h"

namespace vorel {

bool WriteIfUnchanged(const std::function<void()>& write, const std::string& warning) {
    try {
        write();
        return true;
    } catch (const platform::ERecordChanged&) {
        platform::ShowMessage(warning, platform::MsgIcon::Information);
        return false;
    }
}

}  // namespace vorel
