#include "installer/components/EngineContext.h"

namespace installer {

EngineContext::EngineContext() = default;

EngineContext::~EngineContext() {
    // Slots go first and last-made first, like the units that made them.
    while (!slots_.empty()) slots_.pop_back();
}

}  // namespace installer
