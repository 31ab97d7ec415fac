#include "installer/components/EngineContext.h"

#include "installer/compressor/TmslCompress.h"

namespace installer {

// The compressor works on the Windows paths of the system root.
EngineContext::EngineContext() : GlobalCompressor(std::make_shared<TTmslCompress>(MakeSysrootArchiveHost())) {}

EngineContext::~EngineContext() {
    *self_ = nullptr;
    // Slots go first and last-made first, like the units that made them.
    while (!slots_.empty()) slots_.pop_back();
}

}  // namespace installer
