#pragma once
// The program-wide state of one install engine: what the setup program keeps
// in globals (GlobalInstall, the container and file lists, the compressor,
// the used file identifiers, ...) lives here, one context per owner, so that
// several engines (tests) never share it. Modules that keep state of their
// own beside these put it in a slot of the context.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "installer/components/InstallLists.h"

namespace installer {

class TInstallRoot;
class TBaseTamselForm;
class TTmslCompress;

class EngineContext {
public:
    EngineContext();
    ~EngineContext();
    EngineContext(const EngineContext&) = delete;
    EngineContext& operator=(const EngineContext&) = delete;

    // Made in this order; freed in the reverse one.
    std::array<std::uint8_t, 2001> UsedIDs{};  // file identifiers taken, 0..1999
    bool RaiseActiveXErrors = true;
    TCustomInstallFileList RetryActiveXList;
    std::string InstallRecordKey;
    std::vector<TBaseTamselForm*> GlobalBaseFormList;
    TCustomInstallFileList GlobalInstallFileList;
    std::shared_ptr<TTmslCompress> GlobalCompressor;
    TInstallContainerList GlobalContainerList;

    // The one install engine of the setup (the root of the tree), or nullptr.
    TInstallRoot* GlobalInstall = nullptr;

    // A handle that outlives the context and reads null once it is gone:
    // what the context does not own (a form the window system frees later)
    // holds this instead of a bare pointer.
    std::shared_ptr<EngineContext*> Handle() const { return self_; }

    // A module's own state, made on first use and freed with the context.
    template <typename T>
    T& Slot() {
        for (auto& [type, holder] : slots_)
            if (type == std::type_index(typeid(T))) return static_cast<Holder<T>&>(*holder).value;
        auto holder = std::make_unique<Holder<T>>();
        T& value = holder->value;
        slots_.emplace_back(std::type_index(typeid(T)), std::move(holder));
        return value;
    }

private:
    std::shared_ptr<EngineContext*> self_ = std::make_shared<EngineContext*>(this);
    struct HolderBase {
        virtual ~HolderBase() = default;
    };
    template <typename T>
    struct Holder : HolderBase {
        T value;
    };
    std::vector<std::pair<std::type_index, std::unique_ptr<HolderBase>>> slots_;
};

}  // namespace installer
