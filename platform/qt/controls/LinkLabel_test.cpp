#include "platform/qt/controls/LinkLabel.h"

#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "testkit/files/TempDir.h"

using platform::TLinkLabel;

namespace {
// Shell requests go to a log for the length of a scope.
class ShellLog {
public:
    ShellLog() : path_(dir_.Path() / "shell.log") { setenv("VOREL_SHELL_LOG", path_.c_str(), 1); }
    ~ShellLog() { unsetenv("VOREL_SHELL_LOG"); }
    std::string Text() const {
        std::ifstream in(path_);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

private:
    platform::testing::TempDir dir_;
    std::filesystem::path path_;
};
}  // namespace

TEST(LinkLabel, LooksLikeALink) {
    TLinkLabel l("Home page", "http://example.org/");
    EXPECT_TRUE(l.font().underline());
    EXPECT_EQ(l.LinkColor(), QColor(0, 0, 255));
    EXPECT_EQ(l.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(l.cursor().shape(), Qt::PointingHandCursor);
    l.SetLinkColor(Qt::darkGreen);
    EXPECT_EQ(l.palette().color(QPalette::WindowText), QColor(Qt::darkGreen));
}

TEST(LinkLabel, LeftPressOpensTheTargetThroughTheShell) {
    ShellLog log;
    TLinkLabel mail("contact", "mailto:someone@example.org");
    TLinkLabel empty("nothing", "");
    mail.show();
    empty.show();
    QTest::mousePress(&mail, Qt::RightButton);  // only the left button opens
    QTest::mousePress(&mail, Qt::LeftButton);
    QTest::mousePress(&empty, Qt::LeftButton);
    EXPECT_EQ(log.Text(), "open\tmailto:someone@example.org\t\tnormal\nopen\t\t\tnormal\n");
}
