#pragma once
// The translator: twenty languages of numbered strings. A text of a source
// language is found by its wording, its number taken, and the target
// language's string of that number returned; a control that carries a
// number gets that string directly (see forms/FormTranslation.h).
// Every message of the installer passes through TranslateString.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "installer/translator/IException.h"
#include "installer/translator/Language.h"
#include "installer/translator/Languages.h"

namespace installer {

class TTranslator {
public:
    // Registers itself as GlobalTranslator when none is registered; frees
    // the auto-created translator first.
    TTranslator();
    ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    std::string Name;

    TLanguage& lgChineseSimplified() { return *languages_[tlChineseSimplified]; }
    TLanguage& lgChineseTraditional() { return *languages_[tlChineseTraditional]; }
    TLanguage& lgCzech() { return *languages_[tlCzech]; }
    TLanguage& lgDanish() { return *languages_[tlDanish]; }
    TLanguage& lgDutch() { return *languages_[tlDutch]; }
    TLanguage& lgEnglish() { return *languages_[tlEnglish]; }
    TLanguage& lgFrench() { return *languages_[tlFrench]; }
    TLanguage& lgGerman() { return *languages_[tlGerman]; }
    TLanguage& lgGreek() { return *languages_[tlGreek]; }
    TLanguage& lgHebrew() { return *languages_[tlHebrew]; }
    TLanguage& lgItalian() { return *languages_[tlItalian]; }
    TLanguage& lgJapanese() { return *languages_[tlJapanese]; }
    TLanguage& lgKorean() { return *languages_[tlKorean]; }
    TLanguage& lgNorwegianBokmal() { return *languages_[tlNorwegianBokmal]; }
    TLanguage& lgNorwegianNynorsk() { return *languages_[tlNorwegianNynorsk]; }
    TLanguage& lgPolish() { return *languages_[tlPolish]; }
    TLanguage& lgPortugese() { return *languages_[tlPortugese]; }
    TLanguage& lgRussian() { return *languages_[tlRussian]; }
    TLanguage& lgSpanish() { return *languages_[tlSpanish]; }
    TLanguage& lgVietnamese() { return *languages_[tlVietnamese]; }

    // The twenty languages in table order (tlUser has none).
    const std::vector<TLanguage*>& Languages() const { return list_; }

    TTmslLanguage TranslateIntoLanguage() const { return translateIntoLanguage_; }
    // Stores the target, then fires OnChange. Nothing is re-translated.
    void SetTranslateIntoLanguage(TTmslLanguage language);
    std::function<void(TTranslator&)> OnChange;

    TLanguage* LanguageByIdent(TTmslLanguage ident) const;
    // The user's language; none when it cannot be found out.
    TLanguage* UserLanguage() const;
    TLanguage* TargetLanguage() const;
    // A language given as a value: tlUser means UserLanguage.
    TLanguage* ResolveLanguage(TTmslLanguage language) const;

    // text unchanged unless the source has it and the target has its number.
    std::string TranslateText(TTmslLanguage source, const std::string& text) const;
    std::string TranslateGLID(int glid, const std::string& defaultText) const;
    // lines unchanged unless the source has them as a memo and the target
    // has a memo of the same number.
    std::vector<std::string> TranslateStrings(TTmslLanguage source, const std::vector<std::string>& lines) const;

    // Sets the target for its lifetime, restoring the previous one on every exit.
    class TargetScope {
    public:
        TargetScope(TTranslator& translator, TTmslLanguage target);
        ~TargetScope();
        TargetScope(const TargetScope&) = delete;
        TargetScope& operator=(const TargetScope&) = delete;

    private:
        TTranslator& translator_;
        TTmslLanguage previous_;
    };

private:
    std::array<std::unique_ptr<TLanguage>, kLanguageValueCount> languages_;
    std::vector<TLanguage*> list_;
    TTmslLanguage translateIntoLanguage_ = tlUser;
};

// The translator the global routines use; none when no translator exists.
TTranslator* GlobalTranslator();

// The translator the install component made because its form had none;
// the next translator created frees it.
TTranslator* AutoCreatedTranslator();
void SetAutoCreatedTranslator(std::unique_ptr<TTranslator> translator);

// The text translated from English into the target language; the text
// itself when there is no translator or no translation.
std::string TranslateString(const std::string& text);

// An English format translated, then formatted. A translation whose
// placeholders differ from the English ones is not used.
std::string TranslateFmt(const std::string& englishFormat, const platform::FormatArgs& args);

}  // namespace installer
