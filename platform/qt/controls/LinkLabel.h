#pragma once
// A label that looks like a hyperlink (underlined, in the link colour, a
// hand cursor) and asks the shell to "open" its target when the left mouse
// button goes down on it. An empty target is handed to the shell as it is.
#include <QColor>
#include <QLabel>
#include <string>

namespace platform {

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(QWidget* parent = nullptr);
    TLinkLabel(const QString& caption, std::string linkTo, QWidget* parent = nullptr);
    ~TLinkLabel() override;

    QColor LinkColor() const { return linkColor_; }
    // Stores the colour, paints the caption in it.
    void SetLinkColor(const QColor& color);

    std::string LinkTo;  // the URL or other target handed to the shell

    // The press handler: shell "open" of LinkTo, no directory, shown normally.
    void OpenLinkOnPress();

protected:
    void mousePressEvent(QMouseEvent* e) override;

private:
    QColor linkColor_{0, 0, 255};
};

}  // namespace platform
