#include "platform/qt/qtglue/Guard.h"

#include <exception>

#include "platform/core/runtime/Exception.h"
#include "platform/qt/qtglue/Messenger.h"

namespace platform {

void ShowCurrentException() {
    try {
        throw;
    } catch (const EAbort&) {
        // A silent abort shows nothing.
    } catch (const std::exception& e) {
        ShowMessage(e.what(), MsgIcon::Error, mbOK);
    } catch (...) {
        ShowMessage("Unknown error", MsgIcon::Error, mbOK);
    }
}

bool Guarded(const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

}  // namespace platform
