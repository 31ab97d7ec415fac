#pragma once
// An edit box that converts what the user puts in (typing, input methods,
// Ctrl+V, the context menu's Paste, middle-click paste, drag and drop) to
// upper or lower case, as the class library's CharCase does; text set by the
// program keeps its case. textChanged still fires for every change, typed or
// set.
#include <QLineEdit>

class QMenu;

namespace platform {

enum class CharCase { Normal, Upper, Lower };

class TCaseEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCaseEdit(CharCase charCase = CharCase::Normal, QWidget* parent = nullptr)
        : QLineEdit(parent), case_(charCase) {}

    CharCase Case() const { return case_; }
    void SetCase(CharCase c) { case_ = c; }
    QString Convert(const QString& typed) const;

    // The standard context menu with its Paste converting; the caller owns it.
    QMenu* CreateContextMenu();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    bool Converts() const { return case_ != CharCase::Normal && !isReadOnly(); }
    CharCase case_;
};

}  // namespace platform
