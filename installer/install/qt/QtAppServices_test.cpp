#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "installer/install/qt/QtAppServices.h"
#include "platform/windows/sysroot/SystemRoot.h"
#include "testkit/files/TempDir.h"

namespace installer {
namespace {

TEST(QtAppServices, EndingBeforeTheEventLoopEndsTheLoopAsSoonAsItStarts) {
    QtAppServices services;
    services.Terminate();
    EXPECT_TRUE(services.Terminated());
    // A safety net so a failure cannot hang the test run.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    safety.start(5000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_LT(clock.elapsed(), 4000);
}

TEST(QtAppServices, EndingWhileTheLoopRunsEndsIt) {
    QtAppServices services;
    QTimer::singleShot(0, [&] { services.Terminate(); });
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    safety.start(5000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    // Nothing is left queued to end a later loop.
    QTimer::singleShot(50, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QCoreApplication::exec(), 7);
}

TEST(QtAppServices, ProgramStartsAreLoggedWhenAskedAndNeverGoThroughAShell) {
    platform::TempRootDir dir;
    platform::ScopedSystemRoot root{dir.Path()};
    const std::string log = (dir.Path() / "shell.log").string();
    ::setenv("VOREL_SHELL_LOG", log.c_str(), 1);
    QtAppServices services;
    EXPECT_TRUE(services.StartProgram("C:\\App\\SERVER.EXE", {"/REGSERVER"}, ShowCommand::Hide));
    ::unsetenv("VOREL_SHELL_LOG");
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "run\tC:\\App\\SERVER.EXE /REGSERVER\t\tHide\n");
    // Without the log a missing program is simply not started.
    EXPECT_FALSE(services.StartProgram("C:\\App\\MISSING.EXE", {}, ShowCommand::Show));
    // A path that leaves the root is refused.
    EXPECT_FALSE(services.StartProgram("\\\\..\\..\\bin\\sh", {}, ShowCommand::Show));
}

TEST(QtAppServices, TheBusyCursorNests) {
    auto shape = [] { return QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor; };
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    QtAppServices services;
    services.BeginBusy();
    EXPECT_EQ(shape(), Qt::WaitCursor);
    services.BeginBusy();
    services.EndBusy();
    EXPECT_EQ(shape(), Qt::WaitCursor) << "the inner end keeps the outer hourglass";
    services.EndBusy();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // One end too many neither fails nor takes away a cursor someone else set.
    QApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    services.EndBusy();
    EXPECT_EQ(shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
}

}  // namespace
}  // namespace installer
