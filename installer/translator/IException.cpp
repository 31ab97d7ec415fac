#include "installer/translator/IException.h"

#include "installer/translator/Translator.h"

namespace installer {

IException::IException(const std::string& message) : ECustomTamselAbnormal(TranslateString(message)) {}

IException::IException(const std::string& format, const platform::FormatArgs& args)
    : ECustomTamselAbnormal(TranslateFmt(format, args)) {}

}  // namespace installer
