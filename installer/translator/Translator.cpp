#include "installer/translator/Translator.h"

#include "installer/translator/UserLanguage.h"

namespace installer {

namespace {

TTranslator* gGlobalTranslator = nullptr;
std::unique_ptr<TTranslator> gAutoCreatedTranslator;

}  // namespace

TTranslator::TTranslator() {
    // Freeing the auto-created translator unregisters it first.
    if (gAutoCreatedTranslator) gAutoCreatedTranslator.reset();
    for (int i = 0; i < kLanguageValueCount; ++i) {
        const auto ident = static_cast<TTmslLanguage>(i);
        if (ident == tlUser) continue;
        languages_[i] = std::make_unique<TLanguage>(this, ident);
        list_.push_back(languages_[i].get());
    }
    if (!gGlobalTranslator) gGlobalTranslator = this;
}

TTranslator::~TTranslator() {
    if (gGlobalTranslator == this) gGlobalTranslator = nullptr;
}

void TTranslator::SetTranslateIntoLanguage(TTmslLanguage language) {
    translateIntoLanguage_ = language;
    if (OnChange) OnChange(*this);
}

TLanguage* TTranslator::LanguageByIdent(TTmslLanguage ident) const {
    for (TLanguage* language : list_)
        if (language->LanguageIdent == ident) return language;
    return nullptr;
}

TLanguage* TTranslator::UserLanguage() const {
    try {
        return LanguageByIdent(LanguageFromLangID(GetUserDefaultLangID()));
    } catch (...) {
        return nullptr;
    }
}

TLanguage* TTranslator::ResolveLanguage(TTmslLanguage language) const {
    return language == tlUser ? UserLanguage() : LanguageByIdent(language);
}

TLanguage* TTranslator::TargetLanguage() const { return ResolveLanguage(translateIntoLanguage_); }

std::string TTranslator::TranslateText(TTmslLanguage source, const std::string& text) const {
    const TLanguage* from = ResolveLanguage(source);
    if (!from) return text;
    const TLanguageString* entry = from->FindStringByText(text);
    if (!entry) return text;
    const TLanguage* to = TargetLanguage();
    if (!to) return text;
    const TLanguageString* translated = to->FindStringByGLID(entry->GLID);
    return translated ? translated->Text : text;
}

std::string TTranslator::TranslateGLID(int glid, const std::string& defaultText) const {
    const TLanguage* to = TargetLanguage();
    if (!to) return defaultText;
    const TLanguageString* entry = to->FindStringByGLID(glid);
    return entry ? entry->Text : defaultText;
}

std::vector<std::string> TTranslator::TranslateStrings(TTmslLanguage source,
                                                       const std::vector<std::string>& lines) const {
    const TLanguage* from = ResolveLanguage(source);
    if (!from) return lines;
    const TLanguageMemo* memo = from->FindMemoByText(lines);
    if (!memo) return lines;
    const TLanguage* to = TargetLanguage();
    if (!to) return lines;
    const TLanguageMemo* translated = to->FindMemoByGLID(memo->GLID);
    return translated ? translated->Lines : lines;
}

TTranslator::TargetScope::TargetScope(TTranslator& translator, TTmslLanguage target)
    : translator_(translator), previous_(translator.TranslateIntoLanguage()) {
    translator_.SetTranslateIntoLanguage(target);
}

TTranslator::TargetScope::~TargetScope() {
    try {
        translator_.SetTranslateIntoLanguage(previous_);
    } catch (...) {
        // A failing change notification must not escape a destructor.
    }
}

TTranslator* GlobalTranslator() { return gGlobalTranslator; }

TTranslator* AutoCreatedTranslator() { return gAutoCreatedTranslator.get(); }

void SetAutoCreatedTranslator(std::unique_ptr<TTranslator> translator) {
    gAutoCreatedTranslator = std::move(translator);
}

std::string TranslateString(const std::string& text) {
    const TTranslator* translator = GlobalTranslator();
    return translator ? translator->TranslateText(tlEnglish, text) : text;
}

std::string TranslateFmt(const std::string& englishFormat, const platform::FormatArgs& args) {
    std::string format = TranslateString(englishFormat);
    if (platform::FormatPlaceholders(format) != platform::FormatPlaceholders(englishFormat)) format = englishFormat;
    return platform::Format(format, args);
}

}  // namespace installer
