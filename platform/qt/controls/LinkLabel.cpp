#include "platform/qt/controls/LinkLabel.h"

#include <QMouseEvent>

#include "platform/qt/qtglue/Guard.h"
#include "platform/windows/shell/Shell.h"

namespace platform {

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    SetLinkColor(linkColor_);
}

TLinkLabel::TLinkLabel(const QString& caption, std::string linkTo, QWidget* parent) : TLinkLabel(parent) {
    setText(caption);
    LinkTo = std::move(linkTo);
}

TLinkLabel::~TLinkLabel() {
    QFont f = font();
    f.setUnderline(false);
    setFont(f);
}

void TLinkLabel::SetLinkColor(const QColor& color) {
    linkColor_ = color;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
    update();
}

void TLinkLabel::OpenLinkOnPress() { ShellExecute({"open", LinkTo, "", ShowMode::Normal}); }

void TLinkLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        Guarded([this] { OpenLinkOnPress(); });
        e->accept();
        return;
    }
    QLabel::mousePressEvent(e);
}

}  // namespace platform
