// The dialog framework: placement, registries, managers and the modal frame,
// driven in process.
#include <gtest/gtest.h>
#include <gtest/gtest-spi.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

#include "installer/base/Exceptions.h"
#include "installer/components/Messages.h"
#include "installer/install/Install.h"
#include "installer/translator/IException.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "setupwizard/framework/BaseFormContainer.h"
#include "setupwizard/framework/BaseInstallForm.h"
#include "setupwizard/pages/EndPages.h"
#include "setupwizard/pages/TextPages.h"
#include "setupwizard/pages/WelcomePage.h"
#include "setupwizard/pages/WizardUnits.h"
#include "testkit/files/TempDir.h"
#include "testkit/wizard/WizardDriver.h"
#include "testkit/wizard/WizardFixture.h"

using namespace setupwizard;
using setupwizard::testing::WizardDriver;
using setupwizard::testing::WizardTest;

namespace {

// The caption of the frame and the visible buttons of its current page.
std::string FrameState(installer::TModalForm& form) {
    auto* frame = qobject_cast<TBaseFormContainer*>(&form);
    if (!frame) return "not a frame";
    std::string s = frame->windowTitle().toStdString() + ":";
    TBaseInstallForm* page = frame->Pages().value(frame->TabIndex());
    for (const char* name : {"BackBtn", "ProceedBtn", "FinishBtn", "CancelBtn"})
        if (QWidget* w = page ? page->findChild<QWidget*>(name) : nullptr; w && !w->isHidden())
            s += std::string(" ") + name;
    return s;
}

// A page that the test can make skip.
class TSkippingForm : public TBaseInstallForm {
public:
    TSkippingForm(QWidget* owner, installer::EngineContext& context)
        : TBaseInstallForm(owner, context, dmBeforeInstall, 40) {
        setObjectName("SkippingForm");
        setWindowTitle("Skipping");
    }
    bool Skip() override { return SkipIt; }
    static inline bool SkipIt = true;
    static const TFormClass& Class() {
        static const TFormClass c{"TSkippingForm", [](QWidget* owner, installer::EngineContext& context) {
                                      return new TSkippingForm(owner, context);
                                  }};
        return c;
    }
};

// A change-disk form of the test's own: the product has none.
class TTestChangeDiskForm : public TBaseInstallForm {
public:
    TTestChangeDiskForm(QWidget* owner, installer::EngineContext& context)
        : TBaseInstallForm(owner, context, dmChangeDisk, 0) {
        setObjectName("ChangeDiskForm");
        auto* ok = new QPushButton("OK", this);
        ok->setObjectName("OkBtn");
        SetButtonModalResult(ok, platform::mrOk);
        ConnectClick(ok, nullptr);
    }
    static const TFormClass& Class() {
        static const TFormClass c{"TTestChangeDiskForm", [](QWidget* owner, installer::EngineContext& context) {
                                      return new TTestChangeDiskForm(owner, context);
                                  }};
        return c;
    }
};

}  // namespace

TEST(Placement, FiguresForA1024By768Screen) {
    EXPECT_EQ(ClientSizeOf(478, 395), QSize(470, 368));
    EXPECT_EQ(ClientSizeOf(474, 146), QSize(466, 119));
    // The wizard frame, centred.
    auto frame = PlaceTruncated(tdpCenter, 478, 395, 1024, 768, 0, 0);
    EXPECT_EQ(frame.left, 273);
    EXPECT_EQ(frame.top, 186);  // 384 - 197.5 truncated
    // The copy window: bottom centre, 30 above the bottom less one caption.
    auto copy = PlaceRounded(tdpBottomCenter, 474, 146, 1024, 768, 0, 30);
    EXPECT_EQ(copy.left, 275);
    EXPECT_EQ(copy.top, 768 - 19 - 146 - 30);
    // Truncation and halves to even part ways.
    EXPECT_EQ(PlaceTruncated(tdpCenter, 477, 395, 1024, 768, 0, 0).left, 273);
    EXPECT_EQ(PlaceRounded(tdpCenter, 477, 395, 1024, 768, 0, 0).left, 274);
    EXPECT_EQ(PlaceRounded(tdpCenter, 479, 395, 1024, 768, 0, 0).left, 272);
    EXPECT_EQ(PlaceTruncated(tdpCenter, 301, 10, 100, 768, 0, 0).left, -100);
    EXPECT_EQ(PlaceRounded(tdpCenter, 303, 10, 100, 768, 0, 0).left, -102);
    // Every corner and edge with offsets.
    EXPECT_EQ(PlaceRounded(tdpTopLeft, 100, 50, 1024, 768, 7, 9).left, 7);
    EXPECT_EQ(PlaceRounded(tdpTopLeft, 100, 50, 1024, 768, 7, 9).top, 9);
    EXPECT_EQ(PlaceRounded(tdpTopRight, 100, 50, 1024, 768, 7, 9).left, 1024 - 100 - 7);
    EXPECT_EQ(PlaceRounded(tdpCenterRight, 100, 50, 1024, 768, 7, 9).top, 384 - 25 + 9);
    EXPECT_EQ(PlaceRounded(tdpBottomLeft, 100, 50, 1024, 768, 7, 9).top, 768 - 19 - 50 - 9);
    EXPECT_EQ(PlaceRounded(tdpTopCenter, 100, 50, 1024, 768, 7, 9).left, 512 - 50 + 7);
}

class Registry : public WizardTest {};

TEST_F(Registry, PageEntriesAndTheirErrors) {
    installer::EngineContext fresh;
    try {
        PageFormEntry(fresh, 0);
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_STREQ(e.what(), "The BIFList is NIL");
    }
    EXPECT_EQ(PageFormCount(fresh), 0);
    // The units of this product leave no page without a dialog.
    EXPECT_EQ(PageFormCount(Context()), 0);
    EXPECT_EQ(Registries(Context()).DCFList->Count(), 0);
    try {
        PageFormEntry(Context(), 5);
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_STREQ(e.what(), "5 is an invalid index in the BIFList");
    }
    // Each dialog component registers its form and removes it when it goes.
    auto& welcome = AddDialog<TWelcomeDlg>("WelcomeDlg");
    ASSERT_EQ(PageFormCount(Context()), 1);
    EXPECT_EQ(PageFormEntry(Context(), 0)->Dialog, &welcome);
    EXPECT_EQ(PageFormEntry(Context(), 0)->FormClass, &TWelcomeForm::Class());
    welcome.Free();
    EXPECT_EQ(PageFormCount(Context()), 0);
}

TEST_F(Registry, DialogManagerLinks) {
    auto& manager = AddManager("DialogManager", dmBeforeInstall);
    auto& other = AddManager("DialogManager1", dmAfterGoodInstall);
    auto& welcome = AddDialog<TWelcomeDlg>("WelcomeDlg");
    // Taken at creation, without telling the manager.
    EXPECT_EQ(welcome.DialogManager(), &manager);
    EXPECT_TRUE(manager.Dialogs().empty());
    welcome.SetDialogManager(&other);
    EXPECT_EQ(other.Dialogs(), std::vector<TCustomBaseInstallDlg*>{&welcome});
    welcome.SetDialogManager(nullptr);
    EXPECT_TRUE(other.Dialogs().empty());
    EXPECT_EQ(welcome.DialogManager(), nullptr);
    welcome.SetDialogManager(&other);
    other.Free();
    EXPECT_EQ(welcome.DialogManager(), nullptr);
    try {
        manager.AddDialog(nullptr);
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot add a NIL Dialog to the Dialog Manager DialogManager");
    }
    EXPECT_EQ(FindDialogManager(Context(), dmBeforeInstall), &manager);
    EXPECT_EQ(FindDialogManager(Context(), dmReboot), nullptr);
    try {
        TBaseFormContainer frame(Context());
        frame.BuildPages();
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_STREQ(e.what(), "The current dialog manager is not defined");
    }
}

class Wizard : public WizardTest {
protected:
    void BeforeInstallPages() {
        manager = &AddManager("DialogManager", dmBeforeInstall);
        // Made out of order: the pages still come in Order.
        AddDialog<TReadmeDlg>("ReadmeDlg").SetReadmeText({"Readme line one", "Readme line two"});
        AddDialog<TWelcomeDlg>("WelcomeDlg");
        AddDialog<TLicenseDlg>("LicenseDlg").SetLicenseAgreement({"Licence text"});
    }
    void Broadcast(int id, installer::TObject* parameter = nullptr) { install.BroadcastMessage(&install, id, parameter); }
    TDialogManager* manager = nullptr;
};

TEST_F(Wizard, PagesInOrderWithBackAndNext) {
    BeforeInstallPages();
    std::vector<std::string> states;
    auto record = [&](installer::TModalForm& f) { states.push_back(FrameState(f)); };
    WizardDriver driver;
    driver.Then(record).Click("ProceedBtn").Then(record).Click("BackBtn").Then(record).Click("ProceedBtn")
        .Click("ProceedBtn").Then(record).Then([](installer::TModalForm& f) {
            auto* frame = qobject_cast<TBaseFormContainer*>(&f);
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->Pages().size(), 3);
            EXPECT_EQ(frame->OuterWidth(), 478);
            EXPECT_EQ(frame->OuterHeight(), 395);
            EXPECT_EQ(frame->pos(), QPoint(273, 186));
            // Only the current page is shown.
            int shown = 0;
            for (auto* page : frame->Pages()) shown += page->isVisible();
            EXPECT_EQ(shown, 1);
        }).Click("ProceedBtn");
    // The rest of the product's dialogs add no page to this wizard.
    AddManager("DialogManager1", dmAfterGoodInstall);
    AddDialog<TGoodInstallationDlg>("GoodInstallationDlg");
    AddDialog<TBadInstallationDlg>("BadInstallationDlg");
    AddDialog<TRebootDlg>("RebootDlg");
    EXPECT_NO_THROW(Broadcast(installer::imBeforeInstall));
    for (const char* name : {"WelcomeDlg", "LicenseDlg", "ReadmeDlg"})
        EXPECT_TRUE(dynamic_cast<TCustomBaseInstallDlg*>(owner.FindComponent(name))->Form.isNull()) << name;
    EXPECT_EQ(states, (std::vector<std::string>{"Welcome: ProceedBtn CancelBtn",
                                                "Software license agreement: BackBtn ProceedBtn CancelBtn",
                                                "Welcome: ProceedBtn CancelBtn",
                                                "Readme information: BackBtn ProceedBtn CancelBtn"}));
    EXPECT_EQ(Registries(Context()).CurrentDialogManager, nullptr);
    EXPECT_EQ(install.AbortQuestions, 0);
}

TEST_F(Wizard, ManagerWithoutPagesShowsNothing) {
    AddManager("DialogManager5", dmReboot);
    AddDialog<TWelcomeDlg>("WelcomeDlg");  // belongs to no manager of this type
    WizardDriver driver(200);
    EXPECT_NO_THROW(Broadcast(installer::imReboot));
    EXPECT_FALSE(driver.TimedOut());
}

TEST_F(Wizard, CancelAsksAndAbortsOnlyOnYes) {
    BeforeInstallPages();
    install.AbortAnswers = {false, true};
    std::vector<std::string> states;
    WizardDriver driver;
    driver.Click("CancelBtn")
        .Then([&](installer::TModalForm& f) { states.push_back(FrameState(f)); })
        .Click("CancelBtn");
    EXPECT_THROW(Broadcast(installer::imBeforeInstall), installer::EAIUserAbort);
    EXPECT_EQ(install.AbortQuestions, 2);
    EXPECT_EQ(states, std::vector<std::string>{"Welcome: ProceedBtn CancelBtn"});
}

TEST_F(Wizard, ClosesAreRefusedAndEscGoesThroughCancel) {
    BeforeInstallPages();
    install.AbortAnswers = {false, true};
    int questionsAfterClose = -1;
    WizardDriver driver;
    driver.Close()
        .Then([&](installer::TModalForm& f) {
            questionsAfterClose = install.AbortQuestions;
            EXPECT_TRUE(f.isVisible());
            // Esc on the page asks first; "no" keeps the wizard.
            auto* frame = qobject_cast<TBaseFormContainer*>(&f);
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(frame->Pages().value(frame->TabIndex()), &esc);
        })
        .Then([&](installer::TModalForm& f) {
            EXPECT_TRUE(f.isVisible());
            EXPECT_EQ(install.AbortQuestions, 1);
            // Esc on the frame itself goes to the page's Cancel too.
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&f, &esc);
        });
    EXPECT_THROW(Broadcast(installer::imBeforeInstall), installer::EAIUserAbort);
    EXPECT_EQ(questionsAfterClose, 0);
    EXPECT_EQ(install.AbortQuestions, 2);
}

TEST_F(Wizard, SkippedPagesArePassedOver) {
    BeforeInstallPages();
    // A page form linked without a dialog joins the manager of its type.
    RegisterPageForm(Context(), TSkippingForm::Class(), nullptr, 0);
    TSkippingForm::SkipIt = true;
    std::vector<std::string> titles;
    auto record = [&](installer::TModalForm& f) { titles.push_back(f.windowTitle().toStdString()); };
    WizardDriver driver;
    // Welcome 10, Licence 20, Readme 30, Skipping 40 (last, skipped).
    driver.Click("ProceedBtn").Click("ProceedBtn").Then(record).Then([](installer::TModalForm& f) {
        auto* frame = qobject_cast<TBaseFormContainer*>(&f);
        EXPECT_EQ(frame->Pages().size(), 4);
        EXPECT_FALSE(frame->IsLastPage());  // the skipped page still counts
    }).Click("ProceedBtn");
    EXPECT_NO_THROW(Broadcast(installer::imBeforeInstall));
    EXPECT_EQ(titles, std::vector<std::string>{"Readme information"});
}

TEST_F(Wizard, FirstPageSkippedHidesBackOnTheNext) {
    manager = &AddManager("DialogManager", dmBeforeInstall);
    RegisterPageForm(Context(), TSkippingForm::Class(), nullptr, 0);  // Order 40
    TSkippingForm::SkipIt = true;
    AddDialog<TLicenseDlg>("LicenseDlg").Order = 45;
    AddDialog<TWelcomeDlg>("WelcomeDlg").Order = 50;
    std::vector<std::string> states;
    auto record = [&](installer::TModalForm& f) { states.push_back(FrameState(f)); };
    WizardDriver driver;
    driver.Then(record).Click("ProceedBtn").Then(record).Click("BackBtn").Then(record).Click("ProceedBtn")
        .Click("ProceedBtn");
    EXPECT_NO_THROW(Broadcast(installer::imBeforeInstall));
    EXPECT_EQ(states, (std::vector<std::string>{"Software license agreement: ProceedBtn CancelBtn",
                                                "Welcome: BackBtn ProceedBtn CancelBtn",
                                                "Software license agreement: ProceedBtn CancelBtn"}));
}

TEST_F(Wizard, AnErrorInAHandlerEndsTheWizardAndReachesTheEngine) {
    BeforeInstallPages();
    install.AbortFailure = "The abort question failed";
    WizardDriver driver;
    driver.Click("CancelBtn");
    try {
        Broadcast(installer::imBeforeInstall);
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_STREQ(e.what(), "The abort question failed");
    }
    EXPECT_EQ(Registries(Context()).CurrentDialogManager, nullptr);
}

TEST_F(Wizard, EndPagesShowFinishOnTheLastPage) {
    AddManager("DialogManager1", dmAfterGoodInstall);
    AddDialog<TGoodInstallationDlg>("GoodInstallationDlg");
    std::vector<std::string> states;
    WizardDriver driver;
    driver.Then([&](installer::TModalForm& f) { states.push_back(FrameState(f)); })
        .Key(Qt::Key_Escape)  // nothing to cancel on an end page
        .Close()
        .Click("FinishBtn");
    EXPECT_NO_THROW(Broadcast(installer::imAfterGoodInstall));
    EXPECT_EQ(states, std::vector<std::string>{"Setup complete: FinishBtn"});
    EXPECT_EQ(install.AbortQuestions, 0);
}

TEST_F(Wizard, StandaloneDialogsShowThemselves) {
    auto& welcome = AddDialog<TWelcomeDlg>("WelcomeDlg");
    std::vector<std::string> seen;
    WizardDriver driver;
    driver.Then([&](installer::TModalForm& f) {
        seen.push_back(f.objectName().toStdString());
        EXPECT_TRUE(setupwizard::testing::FindVisible(&f, "BackBtn") == nullptr);
        EXPECT_TRUE(f.windowFlags() & Qt::WindowCloseButtonHint);
    }).Click("ProceedBtn");
    EXPECT_NO_THROW(Broadcast(installer::imWelcome));
    EXPECT_EQ(seen, std::vector<std::string>{"WelcomeForm"});
    EXPECT_TRUE(welcome.Form.isNull());

    // Closed other than with OK: the user aborts.
    driver.Click("CancelBtn");
    EXPECT_THROW(Broadcast(installer::imWelcome), installer::EAIUserAbort);

    // An EAbort before the form: not shown, false.
    welcome.OnBeforeExecute = [](TCustomBaseInstallDlg&) { throw platform::EAbort(); };
    EXPECT_FALSE(welcome.Execute());
    welcome.OnBeforeExecute = nullptr;
    // An EAbort after it keeps the form's result.
    welcome.OnAfterExecute = [](TCustomBaseInstallDlg&) { throw platform::EAbort(); };
    driver.Click("ProceedBtn");
    EXPECT_TRUE(welcome.Execute());

    // With a manager it never shows itself.
    welcome.SetDialogManager(&AddManager("DialogManager", dmBeforeInstall));
    EXPECT_NO_THROW(Broadcast(installer::imWelcome));
}

TEST_F(Wizard, StandaloneEndPageHasNoCloseButton) {
    AddDialog<TBadInstallationDlg>("BadInstallationDlg");
    WizardDriver driver;
    driver.Then([](installer::TModalForm& f) {
        EXPECT_FALSE(f.windowFlags() & Qt::WindowCloseButtonHint);
    }).Close().Key(Qt::Key_Escape).Click("FinishBtn");
    EXPECT_NO_THROW(Broadcast(installer::imBadInstall));
    EXPECT_EQ(install.AbortQuestions, 0);
}

// With the install component itself rather than a stand-in.
TEST(WizardWithInstall, AbortQuestionAndRebootGoToTheInstall) {
    platform::TempRootDir rootDir;
    platform::ScopedSystemRoot root(rootDir.Path());
    SetScreenSizeForTesting(QSize(1024, 768));
    installer::TComponentOwner owner;
    auto& install = owner.Create<installer::TInstall>();
    install.SetName("Install1");
    InitWizardUnits(owner.Context());
    auto manager = [&](const char* name, TManagerType type) -> TDialogManager& {
        auto& m = owner.Create<TDialogManager>();
        m.SetName(name);
        m.ManagerType = type;
        m.SetContainer(&install);
        return m;
    };
    manager("DialogManager", dmBeforeInstall);
    manager("DialogManager5", dmReboot);
    for (auto* d : std::vector<TCustomBaseInstallDlg*>{&owner.Create<TWelcomeDlg>(), &owner.Create<TRebootDlg>()})
        d->SetContainer(&install);
    int asked = 0;
    setupwizard::testing::AnswerAbortQuestions(install, {false, true}, &asked);
    bool pictureShown = false;
    {
        WizardDriver driver;
        driver.Then([&](installer::TModalForm& f) {
            auto* frame = qobject_cast<TBaseFormContainer*>(&f);
            auto* page = dynamic_cast<TWelcomeForm*>(frame->Pages().at(0));
            pictureShown = page->ThemeBitmap->Picture() == install.DialogThemeBitmap();
        }).Click("CancelBtn").Click("CancelBtn");
        EXPECT_THROW(install.BroadcastMessage(&install, installer::imBeforeInstall, nullptr), installer::EAIUserAbort);
    }
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(pictureShown);

    install.SetReboot(true);
    {
        WizardDriver driver;
        driver.Then([](installer::TModalForm& f) {
            auto* frame = qobject_cast<TBaseFormContainer*>(&f);
            auto* page = dynamic_cast<TRebootForm*>(frame->Pages().at(0));
            EXPECT_EQ(page->ItemIndex(), 0);
            page->Item(1)->click();
        }).Click("FinishBtn");
        install.BroadcastMessage(&install, installer::imReboot, nullptr);
    }
    EXPECT_FALSE(install.Reboot());
    owner.DestroyComponents();
    SetScreenSizeForTesting(QSize());
}

TEST_F(Wizard, ChangeDiskChecksItsParameter) {
    AddManager("DialogManager4", dmChangeDisk);
    auto& file = owner.Create<installer::testing::TTestFile>();
    file.SetName("File1");
    installer::TDiskParameter disk;
    installer::TList request{&file, &disk};
    // Nothing registered: the file's own disk handling applies.
    EXPECT_NO_THROW(Broadcast(installer::imChangeDisk, &request));
    EXPECT_EQ(file.Tag, 0);

    Registries(Context()).ChangeDiskFormList->Add(TTestChangeDiskForm::Class(), nullptr, 0);
    auto errorOf = [&](installer::TObject* parameter) {
        try {
            Broadcast(installer::imChangeDisk, parameter);
        } catch (const platform::Exception& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(errorOf(nullptr), "The ParameterObject is Nil in the TDialogManager. Cannot show the change disk form");
    EXPECT_EQ(errorOf(&disk), "TChangeDiskDlg--PO is not a TList object");
    installer::TList one{&file};
    EXPECT_EQ(errorOf(&one), "TChangeDiskDlg--Not engouh parameters for status event");
    installer::TList swapped{&disk, &file};
    EXPECT_EQ(errorOf(&swapped), "TChangeDiskDlg says bad first parameter");
    installer::TList noDisk{&file, &file};
    EXPECT_EQ(errorOf(&noDisk), "TChangeDiskDlg says bad second parameter");
    EXPECT_EQ(Registries(Context()).CurrentDialogManager, nullptr);

    WizardDriver driver;
    driver.Click("OkBtn");
    EXPECT_NO_THROW(Broadcast(installer::imChangeDisk, &request));
    EXPECT_EQ(file.Tag, 1);
}

TEST_F(Wizard, DialogComponentWithoutAForm) {
    auto& welcome = AddDialog<TWelcomeDlg>("WelcomeDlg");
    try {
        welcome.AssignDialogProperties();
        FAIL();
    } catch (const platform::Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot AssignDialogProperties for WelcomeDlg because the Dialog is Nil");
    }
    EXPECT_NO_THROW(welcome.PlaceForm());
    EXPECT_NO_THROW(welcome.Translate());
    EXPECT_EQ(welcome.RegisteredType(), 9000);
    EXPECT_FALSE(welcome.ProcessWithContainer);
    EXPECT_TRUE(welcome.InstallTypes.Contains(installer::itCustom));
}

TEST_F(Wizard, EnterPressesTheFocusedButtonElseTheDefaultOfTheShownPage) {
    BeforeInstallPages();
    std::vector<std::string> titles;
    auto record = [&](installer::TModalForm& f) { titles.push_back(f.windowTitle().toStdString()); };
    auto noFocus = [](installer::TModalForm&) {
        if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    };
    auto focus = [](const char* name) {
        return [name](installer::TModalForm& f) {
            QWidget* button = setupwizard::testing::FindVisible(&f, name);
            ASSERT_NE(button, nullptr) << name;
            button->setFocus();
        };
    };
    WizardDriver driver;
    // Welcome's Next is its default; on the licence page the focused Back
    // is pressed, as in a Windows dialog, and the covered page hears nothing.
    driver.Then(noFocus).Key(Qt::Key_Return).Then(record).Then(focus("BackBtn")).Key(Qt::Key_Return).Then(record)
        .Click("ProceedBtn").Then(record).Click("ProceedBtn").Then(record).Then(noFocus).Key(Qt::Key_Return);
    EXPECT_NO_THROW(Broadcast(installer::imBeforeInstall));
    EXPECT_EQ(titles, (std::vector<std::string>{"Software license agreement", "Welcome", "Software license agreement",
                                                "Readme information"}));
}

TEST(Driver, WatchdogEndsAModalFormThatWaitsForNothing) {
    EXPECT_NONFATAL_FAILURE(
        {
            installer::TModalForm form(nullptr);
            form.setObjectName("Waiting");
            WizardDriver driver(60);
            EXPECT_EQ(form.ShowModal(), platform::mrAbort);
            EXPECT_TRUE(driver.TimedOut());
        },
        "watchdog: Waiting waited with nothing to do");
}
