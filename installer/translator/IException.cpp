#include "installer/translator/IException.h"

#include "installer/translator/Translator.h"

namespace installer {

IException::IException(const std::string& message) : platform::Exception(TranslateString(message)) {}

IException::IException(const std::string& format, const platform::FormatArgs& args)
    : platform::Exception(TranslateFmt(format, args)) {}

}  // namespace installer
