#include "testkit/wizard/UiDump.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <QWidget>
#include <sstream>
#include <stdexcept>

#include "installer/translator/forms/TranslateControls.h"

namespace setupwizard::testing {

namespace {
std::string ClassOf(const QObject* o) {
    std::string name = o->metaObject()->className();
    const auto colons = name.rfind("::");
    return colons == std::string::npos ? name : name.substr(colons + 2);
}

std::string TextOf(const QWidget* w, bool root) {
    QString text;
    if (root) text = w->windowTitle();
    else if (auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
    else if (auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
    else if (auto* edit = qobject_cast<const QLineEdit*>(w)) text = edit->text();
    else if (auto* group = qobject_cast<const QGroupBox*>(w)) text = group->title();
    else if (auto* box = qobject_cast<const QTextEdit*>(w)) text = box->toPlainText().section(QLatin1Char('\n'), 0, 0);
    else if (auto* list = qobject_cast<const QListWidget*>(w)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
        text = items.join(QLatin1Char('|'));
    }
    return text.toStdString();
}

int GlidOf(const QWidget* w) {
    if (auto* label = qobject_cast<const installer::TTranslateLabel*>(w)) return label->GLID();
    if (auto* button = qobject_cast<const installer::TTranslateBitBtn*>(w)) return button->GLID();
    return -1;
}

void Collect(QWidget* w, int depth, bool root, std::vector<UiEntry>& out) {
    UiEntry e;
    e.className = ClassOf(w);
    e.name = w->objectName().toStdString();
    const QRect g = w->geometry();
    e.x = root ? 0 : g.x();
    e.y = root ? 0 : g.y();
    e.width = g.width();
    e.height = g.height();
    e.visible = !w->isHidden();
    e.text = TextOf(w, root);
    e.glid = GlidOf(w);
    e.depth = depth;
    out.push_back(e);
    for (QObject* child : w->children()) {
        auto* cw = qobject_cast<QWidget*>(child);
        if (!cw || cw->isWindow()) continue;
        const QString name = cw->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        Collect(cw, depth + 1, false, out);
    }
}
}  // namespace

std::vector<UiEntry> UiEntries(QWidget* root) {
    std::vector<UiEntry> out;
    if (root) Collect(root, 0, true, out);
    return out;
}

std::string UiDump(QWidget* root) {
    std::ostringstream s;
    for (const UiEntry& e : UiEntries(root)) {
        s << std::string(static_cast<std::size_t>(e.depth) * 2, ' ') << e.className << ' ' << e.name << " (" << e.x
          << ',' << e.y << ' ' << e.width << 'x' << e.height << ") " << (e.visible ? "visible" : "hidden");
        if (!e.text.empty()) s << " \"" << e.text << '"';
        if (e.glid >= 0) s << " GLID=" << e.glid;
        s << '\n';
    }
    return s.str();
}

UiEntry UiFind(QWidget* root, const std::string& name) {
    for (const UiEntry& e : UiEntries(root))
        if (e.name == name) return e;
    throw std::runtime_error("no control named " + name);
}

}  // namespace setupwizard::testing
