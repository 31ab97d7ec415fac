#include "testkit/wizard/WizardFixture.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>

#include "installer/translator/EnglishStrings.h"
#include "installer/translator/UserLanguage.h"
#include "platform/core/runtime/Exception.h"
#include "setupwizard/framework/Placement.h"
#include "setupwizard/pages/WizardUnits.h"

namespace setupwizard::testing {

TTestWizardInstall::TTestWizardInstall(installer::TComponentOwner& owner) : TTestInstall(owner) {}

bool TTestWizardInstall::QueryUserAbort() {
    ++AbortQuestions;
    if (!AbortFailure.empty()) throw platform::Exception(AbortFailure);
    if (AbortAnswers.empty()) return true;
    const bool answer = AbortAnswers.front();
    AbortAnswers.pop_front();
    return answer;
}

QImage TestThemePicture() {
    QImage image(117, 290, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 290);
    g.setColorAt(0, QColor(0, 40, 120));
    g.setColorAt(1, QColor(60, 150, 220));
    p.fillRect(image.rect(), g);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 160), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPoint(58, 110), 34, 34);
    p.drawLine(24, 110, 92, 110);
    p.drawLine(58, 76, 58, 144);
    p.setBrush(QColor(255, 210, 80));
    p.setPen(Qt::NoPen);
    p.drawRect(40, 200, 37, 20);
    return image;
}

WizardTest::WizardTest()
    : translator(std::make_unique<installer::TTranslator>()), install(owner.Create<TTestWizardInstall>()) {
    installer::SetUserDefaultLangIDSource([] { return std::uint16_t(0x0409); });
    translator->lgEnglish().Strings().AddStrings(installer::MainTranslatorEnglishLines());
    SetScreenSizeForTesting(QSize(1024, 768));
    install.SetName("Install1");
    install.Theme = TestThemePicture();
    InitWizardUnits(Context());
}

WizardTest::~WizardTest() {
    owner.DestroyComponents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SetScreenSizeForTesting(QSize());
    installer::SetUserDefaultLangIDSource({});
}

TDialogManager& WizardTest::AddManager(const std::string& name, TManagerType type) {
    TDialogManager& manager = owner.Create<TDialogManager>();
    manager.SetName(name);
    manager.ManagerType = type;
    manager.SetContainer(&install);
    return manager;
}

}  // namespace setupwizard::testing
