// The main program: the application title, the main window, then the data
// module; the message loop runs until the main window closes.
#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QStyleFactory>
#include <memory>

#include "app/data/TModuloDeDados.h"
#include "app/ui/TFormulario.h"
#include "htmlview/layout/TextMetrics.h"
#include "platform/qt/qtglue/Messenger.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (QStyle* fusion = QStyleFactory::create("Fusion")) QApplication::setStyle(fusion);
    platform::SetApplicationTitle("Vorel - Electronics");
    // Pages were written for Times New Roman, Arial and Courier New.
    htmlview::SetWindowsFaces(htmlview::TWindowsFaces::Liberation);

    QPointer<vorel::TFormulario> form = new vorel::TFormulario;
    auto module = std::make_unique<vorel::TModuloDeDados>(form->BaseDirectory);
    form->SetDataModule(module.get());
    // Without a window manager a maximise request goes unanswered: start at
    // the screen's full working area so the window fills it either way.
    if (QScreen* screen = QGuiApplication::primaryScreen()) form->setGeometry(screen->availableGeometry());
    form->showMaximized();
    const int result = app.exec();
    // The window's controls hold links into the module's datasets.
    delete form.data();
    module.reset();
    return result;
}
