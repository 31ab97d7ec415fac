// Forms as a page makes them: the parser's controls, their sizes with the
// fake measurer, and the submit lists the document's hook receives.
#include "htmlview/blocks/TextArea.h"
#include "htmlview/forms/FormControlObjs.h"
#include "htmlview/layout/ImageObj.h"
#include "htmlview/parser/ParserTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QPainter>
#include <QWidget>

namespace htmlview::testing {
namespace {

struct Submission {
    std::string action, target, encType, method;
    std::vector<std::string> results;
};

class FormsTest : public ParserTest {
protected:
    QWidget panel;
    std::vector<Submission> submitted;
    std::vector<std::string> clicks;

    void SetUp() override {
        ParserTest::SetUp();
        doc = std::make_unique<TSectionList>(nullptr, &panel);
        doc->ErrorReporter = [this](const std::string& m) { errors.push_back(m); };
        doc->SubmitHook = [this](QWidget*, const std::string& action, const std::string& target,
                                 const std::string& encType, const std::string& method, std::vector<std::string> r) {
            submitted.push_back({action, target, encType, method, std::move(r)});
        };
        doc->OnObjectClick = [this](QWidget*, TFormControlObj* c, const std::string& onClick) {
            clicks.push_back(c->Name + ":" + onClick);
        };
    }

    template <typename T>
    std::vector<T*> controls() const {
        std::vector<T*> r;
        for (TFormControlObj* c : doc->Controls)
            if (auto* t = dynamic_cast<T*>(c)) r.push_back(t);
        return r;
    }
    std::vector<std::string> lastResults() const {
        return submitted.empty() ? std::vector<std::string>{} : submitted.back().results;
    }
};

TEST_F(FormsTest, EveryInputAndSelectBecomesItsControl) {
    parse("<FORM><INPUT NAME=t>x<INPUT TYPE=PassWord NAME=p><INPUT TYPE=submit><INPUT TYPE=reset>"
          "<INPUT TYPE=button><INPUT TYPE=checkbox><INPUT TYPE=radio><INPUT TYPE=hidden NAME=h VALUE=1>"
          "<INPUT TYPE=image SRC=go.gif><INPUT TYPE=strange><SELECT><OPTION>a</SELECT>"
          "<SELECT SIZE=2><OPTION>b</SELECT><SELECT MULTIPLE><OPTION>c</SELECT><TEXTAREA>d</TEXTAREA>"
          "<SELECT SIZE=1><OPTION>e</SELECT></FORM>");
    EXPECT_EQ(controls<TEditFormControlObj>().size(), 3u);
    EXPECT_EQ(controls<TButtonFormControlObj>().size(), 3u);
    EXPECT_EQ(controls<TCheckBoxFormControlObj>().size(), 1u);
    EXPECT_EQ(controls<TRadioButtonFormControlObj>().size(), 1u);
    EXPECT_EQ(controls<THiddenFormControlObj>().size(), 1u);
    EXPECT_EQ(controls<TImageFormControlObj>().size(), 1u);
    EXPECT_EQ(controls<TComboFormControlObj>().size(), 2u);  // SIZE=1 is a drop-down list
    EXPECT_EQ(controls<TListBoxFormControlObj>().size(), 4u);  // the combos are list boxes too
    ASSERT_EQ(doc->Forms.Count(), 1);
    // Thirteen visible controls; the hidden one and the image take no placeholder.
    EXPECT_EQ(doc->Forms[0]->VisibleCount, 14);
    const std::string& buff = texts()[0]->Buff;
    EXPECT_EQ(std::count(buff.begin(), buff.end(), '\x02'), 13);
    EXPECT_EQ(std::count(buff.begin(), buff.end(), '\x04'), 1);
    EXPECT_EQ(controls<TEditFormControlObj>()[1]->Edit()->echoMode(), QLineEdit::Password);
    ASSERT_EQ(texts()[0]->Images.Count(), 1);
    EXPECT_EQ(texts()[0]->Images[0]->FormControl, controls<TImageFormControlObj>()[0]);
}

TEST_F(FormsTest, SubmitListsFollowFormOrderAndTheButtonComesLast) {
    parse("<FORM ACTION=find TARGET=t ENCTYPE=e><INPUT NAME=q VALUE=BC547><INPUT TYPE=hidden NAME=h VALUE=1>"
          "<INPUT TYPE=checkbox NAME=c CHECKED><INPUT TYPE=checkbox NAME=d>"
          "<INPUT TYPE=submit NAME=go VALUE=Search></FORM>");
    auto* go = controls<TButtonFormControlObj>()[0];
    go->Button()->click();
    ASSERT_EQ(submitted.size(), 1u);
    EXPECT_EQ(submitted[0].method, "Get");
    EXPECT_EQ(submitted[0].action, "find");
    EXPECT_EQ(submitted[0].target, "t");
    EXPECT_EQ(submitted[0].encType, "e");
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"q=BC547", "h=1", "c=On", "go=Search"}));
    EXPECT_EQ(clicks, (std::vector<std::string>{"go:"}));

    // Typed text is submitted; a nameless submit adds nothing of its own.
    doc->Clear();
    submitted.clear();
    parse("<FORM METHOD=POSTED><INPUT NAME=q><INPUT TYPE=submit></FORM>");
    controls<TEditFormControlObj>()[0]->Edit()->setText(QString::fromUtf8("2N3055 é"));
    controls<TButtonFormControlObj>()[0]->Button()->click();
    ASSERT_EQ(submitted.size(), 1u);
    EXPECT_EQ(submitted[0].method, "POST");
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"q=2N3055 \xE9"}));
    EXPECT_EQ(controls<TButtonFormControlObj>()[0]->Button()->text(), "Submit");
}

TEST_F(FormsTest, ResetRestoresEveryDefault) {
    parse("<FORM><INPUT NAME=q VALUE=a><INPUT TYPE=checkbox CHECKED><SELECT NAME=s><OPTION>x<OPTION SELECTED>y"
          "<OPTION>z</SELECT><INPUT TYPE=reset VALUE=Clear></FORM>");
    auto* edit = controls<TEditFormControlObj>()[0];
    auto* box = controls<TCheckBoxFormControlObj>()[0];
    auto* combo = controls<TComboFormControlObj>()[0];
    EXPECT_EQ(combo->Combo()->currentIndex(), 1);
    edit->Edit()->setText("changed");
    box->CheckBox()->setChecked(false);
    combo->Combo()->setCurrentIndex(2);
    auto* reset = controls<TButtonFormControlObj>()[0];
    EXPECT_EQ(reset->Button()->text(), "Clear");
    reset->Button()->click();
    EXPECT_EQ(edit->Edit()->text(), "a");
    EXPECT_TRUE(box->CheckBox()->isChecked());
    EXPECT_EQ(combo->Combo()->currentIndex(), 1);
    EXPECT_TRUE(submitted.empty());
}

TEST_F(FormsTest, EnterSubmitsOnlyAFormWithOneVisibleControl) {
    parse("<FORM ACTION=one><INPUT NAME=a><INPUT TYPE=hidden NAME=h VALUE=v></FORM>"
          "<FORM ACTION=two><INPUT NAME=b><INPUT NAME=c></FORM>");
    auto edits = controls<TEditFormControlObj>();
    ASSERT_EQ(edits.size(), 3u);
    emit edits[0]->Edit()->returnPressed();
    ASSERT_EQ(submitted.size(), 1u);
    EXPECT_EQ(submitted[0].action, "one");
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"a=", "h=v"}));
    emit edits[1]->Edit()->returnPressed();
    EXPECT_EQ(submitted.size(), 1u);
}

TEST_F(FormsTest, RadioGroupsIgnoreCaseAndOnlyUserClicksReachThePage) {
    parse("<FORM><INPUT TYPE=radio NAME=a VALUE=1 CHECKED ONCLICK=one><INPUT TYPE=radio NAME=A VALUE=2>"
          "<INPUT TYPE=radio NAME=b VALUE=3 CHECKED><INPUT TYPE=checkbox NAME=c ONCLICK=box></FORM>");
    auto radios = controls<TRadioButtonFormControlObj>();
    ASSERT_EQ(radios.size(), 3u);
    radios[1]->RadioButton->click();
    EXPECT_FALSE(radios[0]->RadioButton->isChecked());
    EXPECT_TRUE(radios[1]->RadioButton->isChecked());
    EXPECT_TRUE(radios[2]->RadioButton->isChecked());  // another name
    EXPECT_EQ(clicks, (std::vector<std::string>{"A:"}));
    // Programmatic changes (reset, the group rule) raise no click event.
    auto* box = controls<TCheckBoxFormControlObj>()[0];
    box->CheckBox()->setChecked(true);
    doc->Forms[0]->ResetControls();
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_TRUE(radios[0]->RadioButton->isChecked());
    box->CheckBox()->click();
    EXPECT_EQ(clicks.back(), "c:box");
    EXPECT_EQ(radios[0]->GetControl(), radios[0]->RadioButton);
}

TEST_F(FormsTest, RadioPanelsTakeTheColourOfTheCellThatShowsThem) {
    // The first radio's cell is left open when the body ends; the text after
    // it carries the radio out of the table, whose cell is then dropped.
    parse("<BODY BGCOLOR=blue><TABLE><TR><TD BGCOLOR=lime><INPUT TYPE=radio NAME=a></TD>"
          "<TD><TABLE><TD BGCOLOR=red><INPUT TYPE=radio NAME=b></BODY>K");
    auto radios = controls<TRadioButtonFormControlObj>();
    ASSERT_EQ(radios.size(), 2u);
    arrange(600);
    QImage page(600, 300, QImage::Format_RGB32);
    {
        QPainter painter(&page);
        TCanvas paintCanvas(fake, &painter);
        doc->Paint(paintCanvas, page.rect(), 0, 0, 600);
    }
    EXPECT_TRUE(radios[0]->Shown);
    EXPECT_TRUE(radios[1]->Shown);
    EXPECT_EQ(radios[0]->TheControl->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(radios[1]->TheControl->palette().color(QPalette::Window), QColor(0, 0, 255));
}

TEST_F(FormsTest, AnImageSubmitsItsClickOnce) {
    parse("<FORM><INPUT TYPE=hidden NAME=h VALUE=1><INPUT TYPE=image NAME=map SRC=a.gif>"
          "<INPUT TYPE=image SRC=b.gif></FORM>");
    auto images = controls<TImageFormControlObj>();
    ASSERT_EQ(images.size(), 2u);
    images[0]->RecordHit(3, 4);
    images[0]->ImageClicked();
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"h=1", "map.x=3", "map.y=4"}));
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"h=1"}));
    images[1]->RecordHit(0, 7);
    images[1]->ImageClicked();
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"h=1", "x=0", "y=7"}));
}

TEST_F(FormsTest, ListsSizeFromTheFixedFontAndSubmitTheirChoice) {
    std::string five = "<SELECT NAME=five MULTIPLE>";
    for (int i = 0; i < 5; ++i) five += "<OPTION VALUE=v" + std::to_string(i) + (i % 2 ? " SELECTED>" : ">") + "t";
    std::string twelve = "<SELECT NAME=twelve SIZE=0 MULTIPLE>";
    for (int i = 0; i < 12; ++i) twelve += "<OPTION>item" + std::to_string(i);
    parse("<FORM>" + five + "</SELECT>" + twelve + "</SELECT><SELECT NAME=one SIZE=3><OPTION>a<OPTION>bb</SELECT>"
          "<SELECT NAME=drop><OPTION VALUE=x>first<OPTION>second</SELECT></FORM>");
    auto lists = controls<TListBoxFormControlObj>();
    ASSERT_EQ(lists.size(), 4u);
    arrange(600);  // layout sizes every control
    const int line = canvas->TextHeight("A");
    const int frame = 2 * lists[0]->ListBox()->frameWidth();
    EXPECT_EQ(lists[0]->ListBox()->height(), 5 * line + frame);
    EXPECT_EQ(lists[1]->ListBox()->height(), 8 * line + frame);
    EXPECT_EQ(lists[2]->ListBox()->height(), 3 * line + frame);
    EXPECT_EQ(lists[1]->LongestText, 6);
    EXPECT_EQ(lists[2]->LongestText, 3);  // at least 3

    // A single-choice list without SELECTED chooses its first item.
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"five=v1", "five=v3", "one=a", "drop=x"}));
    lists[2]->ListBox()->setCurrentRow(1);
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"five=v1", "five=v3", "one=bb", "drop=x"}));
}

TEST_F(FormsTest, EditSizesFromSizeAndTheFixedFont) {
    parse("<INPUT SIZE=10><INPUT SIZE=\"7, 2\"><INPUT SIZE=abc><INPUT MAXLENGTH=4 VALUE=abcdef>"
          "<INPUT MAXLENGTH=0 VALUE=abc>");
    auto edits = controls<TEditFormControlObj>();
    ASSERT_EQ(edits.size(), 5u);
    // MAXLENGTH=0 is no limit: the edit keeps its text and takes typing.
    EXPECT_EQ(edits[4]->Edit()->text(), "abc");
    edits[4]->Edit()->insert("d");
    EXPECT_EQ(edits[4]->Edit()->text(), "abcd");
    EXPECT_EQ(edits[0]->Size, 10);
    EXPECT_EQ(edits[1]->Size, 7);
    EXPECT_EQ(edits[2]->Size, 20);
    EXPECT_EQ(edits[3]->Edit()->maxLength(), 4);
    arrange(600);
    TFont fixed;
    fixed.SetName(doc->FixedFontName);
    fixed.SetSize(10);
    canvas->Font = fixed;
    EXPECT_EQ(edits[0]->Edit()->width(), canvas->TextWidth("A") * 10 + 5);
    EXPECT_EQ(edits[0]->Edit()->height(), 20);
}

TEST_F(FormsTest, TextAreaSubmitsEveryLineInTheSubmitEncoding) {
    parse("<FORM><TEXTAREA NAME=t>caf&eacute;</TEXTAREA></FORM>");
    auto* area = controls<TTextAreaFormControlObj>()[0];
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"t=caf\xE9"}));
    // Typed text goes out in the page's code page too, every line of it,
    // however many there are.
    QString typed = QString::fromUtf8("Ligação ôhm\n");
    for (int i = 0; i < 100000; ++i) typed += QStringLiteral("l\n");
    typed += QStringLiteral("end");
    area->Memo()->setPlainText(typed);
    doc->Forms[0]->Submit(nullptr);
    const std::vector<std::string> r = lastResults();
    ASSERT_EQ(r.size(), 100002u);
    EXPECT_EQ(r.front(), "t=Liga\xE7\xE3o \xF4hm");
    EXPECT_EQ(r[50000], "t=l");
    EXPECT_EQ(r.back(), "t=end");
}

// A submission holds what the page shows: one value per radio group, and
// nothing of controls the page dropped or never placed.
TEST_F(FormsTest, OnlyControlsOnThePageSubmitAndRadioGroupsGiveOneValue) {
    // Of two CHECKED radios of one name, the last is checked, also after a reset.
    parse("<FORM><INPUT TYPE=radio NAME=a VALUE=1 CHECKED><INPUT TYPE=radio NAME=A VALUE=2 CHECKED>"
          "<INPUT TYPE=radio NAME=b VALUE=3 CHECKED><INPUT TYPE=radio VALUE=4 CHECKED><INPUT TYPE=radio VALUE=5 CHECKED>"
          "</FORM>");
    auto radios = controls<TRadioButtonFormControlObj>();
    ASSERT_EQ(radios.size(), 5u);
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"A=2", "b=3", "=4", "=5"}));  // nameless radios form no group
    EXPECT_FALSE(radios[0]->RadioButton->isChecked());
    radios[0]->RadioButton->click();
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"a=1", "b=3", "=4", "=5"}));
    doc->Forms[0]->ResetControls();
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"A=2", "b=3", "=4", "=5"}));

    // A table refused at layout (over 30 columns) takes its controls with it,
    // hidden ones too; the edit left is the form's only one, so Enter submits.
    doc->Clear();
    std::string wide = "<FORM ACTION=wide><INPUT NAME=o VALUE=1><TABLE><TR><TD><INPUT TYPE=hidden NAME=h VALUE=1>";
    for (int i = 0; i < 31; ++i) wide += "<TD><INPUT NAME=w" + std::to_string(i) + " VALUE=v>";
    parse(wide + "<TD><INPUT TYPE=radio NAME=o VALUE=r CHECKED></TABLE></FORM>");
    arrange(600);
    EXPECT_EQ(errors, (std::vector<std::string>{"Table has too many Columns"}));
    auto edits = controls<TEditFormControlObj>();
    ASSERT_EQ(edits.size(), 32u);
    QImage page(600, 300, QImage::Format_RGB32);
    {
        QPainter painter(&page);
        TCanvas paintCanvas(fake, &painter);
        doc->Paint(paintCanvas, page.rect(), 0, 0, 600);
    }
    EXPECT_TRUE(edits[0]->Shown);
    EXPECT_FALSE(edits[1]->Shown);
    EXPECT_TRUE(edits[1]->TheControl->isHidden());
    submitted.clear();
    emit edits[0]->Edit()->returnPressed();
    ASSERT_EQ(submitted.size(), 1u);
    EXPECT_EQ(submitted[0].action, "wide");
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"o=1"}));

    // A control between a table's cells is laid out before the table when
    // text leads it there, and skipped with the tag otherwise: shown and
    // submitted, or neither.
    doc->Clear();
    parse("<FORM><TABLE><TR><INPUT TYPE=radio NAME=d VALUE=1 CHECKED><TD>x</TD>t"
          "<INPUT TYPE=radio NAME=e VALUE=2 CHECKED></TABLE></FORM>");
    arrange(600);
    {
        QPainter painter(&page);
        TCanvas paintCanvas(fake, &painter);
        doc->Paint(paintCanvas, page.rect(), 0, 0, 600);
    }
    radios = controls<TRadioButtonFormControlObj>();
    ASSERT_EQ(radios.size(), 1u);
    EXPECT_TRUE(radios[0]->Shown);
    doc->Forms[0]->Submit(nullptr);
    EXPECT_EQ(lastResults(), (std::vector<std::string>{"e=2"}));
}

}  // namespace
}  // namespace htmlview::testing
