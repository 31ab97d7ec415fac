#include "app/data/VersaoTabelas.h"

#include <exception>

#include "platform/hostio/HostIo.h"
#include "platform/runtime/LegacyText.h"
#include "platform/runtime/PathCase.h"
#include "platform/runtime/Text.h"

namespace vorel {

std::string LeVersaoTabelas(const std::string& diretorioBase) {
    try {
        const auto path = platform::ResolveCase(diretorioBase, std::string("data/") + kArquivoVersaoTabelas);
        const std::optional<std::string> bytes = platform::ReadWholeFile(path);
        if (!bytes) return "n/a";
        const auto lines = platform::SplitTextLines(platform::DecodeLegacyText(*bytes));
        const std::string versao = lines.empty() ? "" : platform::TrimControls(lines[0]);
        return versao.empty() ? "n/a" : versao;
    } catch (const std::exception&) {
        return "n/a";  // an unreadable file tells no version, like a missing one
    }
}

}  // namespace vorel
