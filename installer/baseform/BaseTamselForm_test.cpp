// The base form: its settings, the form list, translation and fonts, and
// modal results with the exception boundary.
#include <gtest/gtest.h>

#include <memory>

#include <QPushButton>
#include <QTimer>

#include "installer/components/EngineContext.h"
#include "installer/translator/Translator.h"
#include "installer/translator/UserLanguage.h"
#include "installer/translator/forms/FormTranslation.h"
#include "installer/translator/forms/TranslateControls.h"
#include "platform/qt/qtglue/Messenger.h"
#include "platform/core/runtime/Exception.h"
#include "installer/baseform/BaseTamselForm.h"

using namespace installer;

namespace {

class GermanUser {
public:
    GermanUser() { SetUserDefaultLangIDSource([] { return std::uint16_t(0x0407); }); }
    ~GermanUser() { SetUserDefaultLangIDSource({}); }
};

struct Form : TBaseTamselForm {
    explicit Form(EngineContext* context) : TBaseTamselForm(nullptr, context) {
        label = new TTranslateLabel("Welcome", this);
        label->setObjectName("Label1");
        numbered = new TTranslateLabel("Next >", this);
        numbered->setObjectName("Label2");
        numbered->SetGLID(5);
    }
    TTranslateLabel* label;
    TTranslateLabel* numbered;
};

std::unique_ptr<TTranslator> MakeTranslator() {
    auto t = std::make_unique<TTranslator>();
    t->lgEnglish().Strings().AddStrings({"5;Next >", "9;Welcome"});
    t->lgGerman().Strings().AddStrings({"5;Weiter >", "9;Willkommen"});
    return t;
}

}  // namespace

TEST(BaseTamselForm, SettingsAndTheFormList) {
    EngineContext context;
    {
        Form form(&context);
        EXPECT_TRUE(form.AutoSetFont);
        EXPECT_TRUE(form.AutoTranslate);
        EXPECT_EQ(form.TextLanguage, tlEnglish);
        EXPECT_FALSE(form.OverrideMainTranslator);
        EXPECT_EQ(form.TranslateIntoLanguage, tlUser);
        EXPECT_EQ(form.Container, nullptr);
        EXPECT_EQ(FontCharset(form), 0);
        EXPECT_EQ(context.GlobalBaseFormList, std::vector<TBaseTamselForm*>{&form});
    }
    EXPECT_TRUE(context.GlobalBaseFormList.empty());
    Form unlisted(nullptr);  // no context: in no list
    EXPECT_TRUE(context.GlobalBaseFormList.empty());
}

TEST(BaseTamselForm, AFormFreedAfterItsContextLeavesItAlone) {
    // A copy window deleted later by the event loop may outlive the setup
    // whose context listed it.
    auto context = std::make_unique<EngineContext>();
    auto form = std::make_unique<Form>(context.get());
    EXPECT_EQ(form->Context(), context.get());
    context.reset();
    EXPECT_EQ(form->Context(), nullptr);
    form.reset();  // no list to leave: nothing is touched
}

TEST(BaseTamselForm, TranslateWithoutATranslatorChangesNothing) {
    ASSERT_EQ(GlobalTranslator(), nullptr);
    Form form(nullptr);
    form.Translate();
    EXPECT_EQ(form.label->text().toStdString(), "Welcome");
    EXPECT_EQ(form.TextLanguage, tlEnglish);
}

TEST(BaseTamselForm, TranslatesIntoTheUsersLanguageOnce) {
    GermanUser german;
    auto translator = MakeTranslator();
    Form form(nullptr);
    form.Translate();
    EXPECT_EQ(form.label->text().toStdString(), "Willkommen");
    EXPECT_EQ(form.numbered->text().toStdString(), "Weiter >");
    EXPECT_EQ(form.TextLanguage, tlUser);
    EXPECT_EQ(form.font().family().toStdString(), "MS Sans Serif");
    // A second call translates from the language the texts are in now.
    form.Translate();
    EXPECT_EQ(form.label->text().toStdString(), "Willkommen");
    EXPECT_EQ(form.numbered->text().toStdString(), "Weiter >");
}

TEST(BaseTamselForm, FontsOnlyAndAnOverriddenTarget) {
    GermanUser german;
    auto translator = MakeTranslator();
    Form fontsOnly(nullptr);
    fontsOnly.AutoTranslate = false;
    fontsOnly.Translate();
    EXPECT_EQ(fontsOnly.label->text().toStdString(), "Welcome");
    EXPECT_EQ(fontsOnly.TextLanguage, tlEnglish);
    EXPECT_EQ(fontsOnly.font().family().toStdString(), "MS Sans Serif");

    // Into English although the user is German; the translator keeps its target.
    Form english(nullptr);
    english.OverrideMainTranslator = true;
    english.TranslateIntoLanguage = tlEnglish;
    english.Translate();
    EXPECT_EQ(english.label->text().toStdString(), "Welcome");
    EXPECT_EQ(english.TextLanguage, tlEnglish);
    EXPECT_EQ(translator->TranslateIntoLanguage(), tlUser);
}

TEST(ModalForm, ResultsEndOnlyAModalRun) {
    TModalForm form(nullptr);
    auto* ok = new QPushButton("OK", &form);
    TModalForm::SetButtonModalResult(ok, platform::mrOk);
    int clicks = 0;
    form.ConnectClick(ok, [&] { ++clicks; });
    // Modeless: a result is stored and the form stays shown.
    form.show();
    form.SetModalResult(platform::mrAbort);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.ModalResult(), platform::mrAbort);
    form.CloseForm();
    EXPECT_FALSE(form.isVisible());

    QTimer::singleShot(0, ok, [ok] { ok->click(); });
    EXPECT_EQ(form.ShowModal(), platform::mrOk);
    EXPECT_EQ(clicks, 1);
}

TEST(ModalForm, AnErrorInAHandlerIsRaisedAfterTheRun) {
    TModalForm form(nullptr);
    auto* button = new QPushButton("Go", &form);
    form.ConnectClick(button, [] { throw platform::Exception("handler failed"); });
    QTimer::singleShot(0, button, [button] { button->click(); });
    try {
        form.ShowModal();
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_STREQ(e.what(), "handler failed");
    }
    // EAbort passes silently; outside a modal run an error is shown.
    platform::ScriptedMessenger messenger;
    auto* quiet = new QPushButton("Quiet", &form);
    bool ran = false;
    form.ConnectClick(quiet, [&ran] {
        ran = true;
        throw platform::EAbort();
    });
    quiet->click();
    EXPECT_TRUE(ran);
    TModalForm::RunHandler([] { throw platform::EAbort(); });
    TModalForm::RunHandler([] { throw platform::Exception("shown"); });
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].text, "shown");
}
