// Forms translated into a generated German table, numbered controls, and
// fonts set for a language.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "installer/translator/EnglishStrings.h"
#include "installer/translator/UserLanguage.h"
#include "installer/translator/forms/FormTranslation.h"
#include "installer/translator/forms/TranslateControls.h"

using namespace installer;

// An object whose text property counts its writes.
class CountingText : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
public:
    QString text() const { return text_; }
    void setText(const QString& t) {
        text_ = t;
        ++writes;
    }
    int writes = 0;

private:
    QString text_;
};

namespace {

class EnglishUser {
public:
    EnglishUser() { SetUserDefaultLangIDSource([] { return std::uint16_t(0x0409); }); }
    ~EnglishUser() { SetUserDefaultLangIDSource({}); }
};

// German lines for every English number: "<n>;DE <English text>", with a
// few real words and a memo.
std::vector<std::string> GermanTable() {
    std::vector<std::string> lines;
    for (const std::string& line : MainTranslatorEnglishLines()) {
        const size_t semi = line.find(';');
        if (line.empty() || line[0] == '*' || semi == std::string::npos) continue;
        const std::string glid = line.substr(0, semi);
        const std::string text = line.substr(semi + 1);
        if (glid == "5") lines.push_back("5;Weiter >");
        else if (glid == "6") lines.push_back("6;Abbrechen");
        else if (glid == "9") lines.push_back("9;Willkommen");
        else if (glid == "29") lines.push_back("29;Beschreibung");
        else lines.push_back(glid + ";DE " + text);
    }
    lines.insert(lines.end(), {"#500", "Lizenz Zeile eins", "Lizenz Zeile zwei", "#"});
    return lines;
}

struct Fixture {
    EnglishUser user;
    TTranslator translator;
    Fixture() {
        translator.lgEnglish().Strings().Assign(MainTranslatorEnglishLines());
        translator.lgEnglish().Strings().AddStrings({"#500", "Licence line one", "Licence line two", "#"});
        translator.lgGerman().Strings().Assign(GermanTable());
        translator.SetTranslateIntoLanguage(tlGerman);
    }
};

}  // namespace

TEST(FormTranslation, TranslatesTextBearingPropertiesOnly) {
    Fixture f;
    QWidget form;
    form.setWindowTitle("Welcome");
    form.setObjectName("Cancel");
    auto* layout = new QVBoxLayout(&form);
    auto* label = new QLabel("Welcome", &form);
    label->setObjectName("Welcome");
    label->setToolTip("cancel");
    label->setStyleSheet("/* Cancel */");
    layout->addWidget(label);
    auto* edit = new QLineEdit(&form);
    edit->setPlaceholderText("Description");
    edit->setText("   ");
    auto* box = new QGroupBox("Setup type", &form);
    auto* combo = new QComboBox(box);
    combo->addItems({"Typical", "Unknown", "Custom"});
    auto* list = new QListWidget(&form);
    list->addItems({"Compact", "Full"});
    auto* tree = new QTreeWidget(&form);
    tree->setHeaderLabels({"Description", "bytes"});
    auto* memo = new QPlainTextEdit("Licence line one\nLicence line two\n", &form);
    auto* action = new QAction("Finish", &form);
    auto* other = new QDialog(&form);  // another form: translated on its own
    other->setWindowTitle("Welcome");
    auto* otherLabel = new QLabel("Welcome", other);

    EXPECT_EQ(TranslateComponent(f.translator, tlEnglish, &form), tlGerman);

    EXPECT_EQ(form.windowTitle(), "Willkommen");
    EXPECT_EQ(form.objectName(), "Cancel");
    EXPECT_EQ(label->text(), "Willkommen");
    EXPECT_EQ(label->toolTip(), "Abbrechen");
    EXPECT_EQ(label->objectName(), "Welcome");
    EXPECT_EQ(label->styleSheet(), "/* Cancel */");
    EXPECT_EQ(edit->placeholderText(), "Beschreibung");
    EXPECT_EQ(edit->text(), "   ");
    EXPECT_EQ(box->title(), "DE Setup type");
    EXPECT_EQ(combo->itemText(0), "DE Typical");
    EXPECT_EQ(combo->itemText(1), "Unknown");
    EXPECT_EQ(combo->itemText(2), "DE Custom");
    EXPECT_EQ(list->item(1)->text(), "DE Full");
    EXPECT_EQ(tree->headerItem()->text(0), "Beschreibung");
    EXPECT_EQ(tree->headerItem()->text(1), "DE bytes");
    EXPECT_EQ(memo->toPlainText(), "Lizenz Zeile eins\nLizenz Zeile zwei");
    EXPECT_EQ(action->text(), "DE Finish");
    EXPECT_EQ(other->windowTitle(), "Welcome");
    EXPECT_EQ(otherLabel->text(), "Welcome");
    EXPECT_TRUE(form.updatesEnabled());

    // Again from German into German: nothing changes.
    EXPECT_EQ(TranslateComponent(f.translator, tlGerman, &form), tlGerman);
    EXPECT_EQ(label->text(), "Willkommen");
    EXPECT_EQ(combo->itemText(0), "DE Typical");

    // Back into English from the language the texts are in now.
    EXPECT_EQ(TranslateComponentInto(f.translator, tlGerman, tlEnglish, &form), tlEnglish);
    EXPECT_EQ(f.translator.TranslateIntoLanguage(), tlGerman);
    EXPECT_EQ(label->text(), "Welcome");
    EXPECT_EQ(memo->toPlainText(), "Licence line one\nLicence line two");
    EXPECT_EQ(box->title(), "Setup type");
}

TEST(FormTranslation, NumberedControls) {
    Fixture f;
    QWidget form;
    auto* byNumber = new TTranslateLabel("Next >", &form);
    byNumber->SetGLID(6);
    byNumber->setToolTip("Welcome");
    auto* exempt = new TTranslateLabel("Cancel", &form);
    exempt->SetGLID(-1);
    auto* byWording = new TTranslateLabel("Cancel", &form);
    auto* button = new TTranslateBitBtn("x", &form);
    button->SetGLID(5);
    button->setToolTip("Cancel");
    auto* unknown = new TTranslateBitBtn("Keep", &form);
    unknown->SetGLID(9999);
    auto* counted = new CountingText;
    counted->setParent(&form);
    counted->setText("Unknown text");
    counted->writes = 0;

    TranslateComponent(f.translator, tlEnglish, &form);
    EXPECT_EQ(byNumber->text(), "Abbrechen");
    EXPECT_EQ(byNumber->toolTip(), "Welcome");  // numbered: nothing else of it is translated
    EXPECT_EQ(exempt->text(), "Cancel");
    EXPECT_EQ(byWording->text(), "Abbrechen");
    EXPECT_EQ(button->text(), "Weiter >");
    EXPECT_EQ(button->toolTip(), "Cancel");
    EXPECT_EQ(unknown->text(), "Keep");
    EXPECT_EQ(counted->writes, 0);  // unchanged texts are not written back
    EXPECT_EQ(byNumber->property("GLID").toInt(), 6);
}

TEST(FormTranslation, ResultLanguageAndGlobalRoutines) {
    EnglishUser user;
    QWidget form;
    auto* label = new QLabel("Cancel", &form);
    // Without a translator nothing changes and the source comes back.
    EXPECT_EQ(TranslateForm(tlEnglish, &form), tlEnglish);
    EXPECT_EQ(TranslateFormInto(tlEnglish, tlGerman, &form), tlEnglish);
    SetFormLanguageFont(&form, false);
    SetFormLanguageFontFor(tlJapanese, &form, false);
    EXPECT_EQ(label->text(), "Cancel");
    EXPECT_EQ(FontCharset(*label), 0);

    Fixture f;
    EXPECT_EQ(TranslateFormInto(tlEnglish, tlFrench, &form), tlEnglish);  // French has no lines
    EXPECT_EQ(TranslateForm(tlEnglish, nullptr), tlEnglish);
    f.translator.SetTranslateIntoLanguage(tlUser);
    EXPECT_EQ(TranslateForm(tlEnglish, &form), tlUser);  // the English user has lines
    EXPECT_EQ(label->text(), "Cancel");
    EXPECT_EQ(TranslateFormInto(tlUser, tlGerman, &form), tlGerman);
    EXPECT_EQ(label->text(), "Abbrechen");
    EXPECT_EQ(f.translator.TranslateIntoLanguage(), tlUser);
}

TEST(LanguageFont, FacesSizesAndCharsets) {
    Fixture f;
    QWidget form;
    form.setFont(QFont("DejaVu Sans", 6));
    auto* big = new QLabel("big", &form);
    big->setFont(QFont("DejaVu Sans", 10));
    auto* panel = new QWidget(&form);
    auto* inner = new QLabel("inner", panel);

    ApplyLanguageFont(f.translator, &form, false);  // German has lines
    EXPECT_EQ(form.font().family(), "MS Sans Serif");
    EXPECT_EQ(form.font().pointSize(), 8);
    EXPECT_EQ(big->font().pointSize(), 10);
    EXPECT_EQ(inner->font().family(), "MS Sans Serif");
    EXPECT_EQ(FontCharset(*inner), 0);

    ApplyLanguageFontFor(f.translator, tlJapanese, &form, false);  // no lines: English settings
    EXPECT_EQ(f.translator.TranslateIntoLanguage(), tlGerman);
    EXPECT_EQ(inner->font().family(), "Arial");
    EXPECT_EQ(FontCharset(*inner), 0);

    ApplyLanguageFontFor(f.translator, tlJapanese, &form, true);
    EXPECT_EQ(inner->font().family().toStdString(), FaceOfLanguage(tlJapanese).Face);
    EXPECT_EQ(inner->font().pointSize(), 9);
    EXPECT_EQ(big->font().pointSize(), 10);
    EXPECT_EQ(FontCharset(*inner), 128);

    ApplyLanguageFontFor(f.translator, tlHebrew, &form, true);
    EXPECT_EQ(inner->font().family(), "Arial");
    EXPECT_EQ(FontCharset(*panel), 177);

    TLanguage& ru = f.translator.lgRussian();
    ru.FontOverride = true;
    ru.Font.Name = "Tahoma";
    ru.Font.Height = -16;
    ru.Font.Charset = 204;
    ru.Font.Bold = true;
    ru.Font.Color = 0x0000FF;  // red
    ApplyLanguageFontFor(f.translator, tlRussian, &form, true);
    EXPECT_EQ(big->font().family(), "Tahoma");
    EXPECT_EQ(big->font().pointSize(), 12);
    EXPECT_TRUE(big->font().bold());
    EXPECT_EQ(FontCharset(*big), 204);
    EXPECT_EQ(inner->palette().color(QPalette::WindowText), QColor(255, 0, 0));

    // No target language: nothing happens.
    SetUserDefaultLangIDSource([]() -> std::uint16_t { throw platform::Exception("no locale"); });
    f.translator.SetTranslateIntoLanguage(tlUser);
    ApplyLanguageFont(f.translator, &form, false);
    EXPECT_EQ(big->font().family(), "Tahoma");
    ApplyLanguageFont(f.translator, nullptr, false);
}

#include "FormTranslation_test.moc"
