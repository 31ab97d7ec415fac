#include "app/data/EscritaConcorrente.h"

#include "platform/qtglue/Messenger.h"
#include "platform/tables/EDBEngineError.h"

namespace vorel {

bool EscreveSeInalterado(const std::function<void()>& escreve, const std::string& aviso) {
    try {
        escreve();
        return true;
    } catch (const platform::ERecordChanged&) {
        platform::ShowMessage(aviso, platform::MsgIcon::Information);
        return false;
    }
}

}  // namespace vorel
