#pragma once
// A tab widget whose changes by the user can be refused, as the class
// library's page control asks OnChanging before it switches. Mouse clicks,
// the wheel and every keyboard switch (arrows, Ctrl+Tab, Ctrl+PageUp/Down)
// go through the question; setting the page from code does not. OnChange
// follows a completed switch by the user or by code.
#include <QTabBar>
#include <QTabWidget>
#include <functional>

namespace platform {

class TPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    std::function<bool()> OnChanging;  // false refuses the change; empty allows
    std::function<void()> OnChange;

    // Asks OnChanging (inside the handler guard); a failure refuses.
    bool MayChange();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

class TPageControlTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit TPageControlTabBar(TPageControl* owner) : QTabBar(owner), owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent* e) override;
#endif

private:
    TPageControl* owner_;
};

}  // namespace platform
