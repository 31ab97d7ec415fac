#include "app/backup/TDirectoryListBox.h"

#include <QKeyEvent>
#include <QStyle>
#include <algorithm>

#include "platform/core/runtime/Text.h"
#include "platform/qt/qtglue/Guard.h"

namespace vorel {

namespace fs = std::filesystem;

namespace {
constexpr int kPathRole = Qt::UserRole + 1;

}  // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { platform::Guarded([&] { OpenItem(item); }); });
    std::error_code ec;
    SetDirectory(fs::current_path(ec));
}

bool TDirectoryListBox::SetDirectory(const fs::path& dir) {
    std::error_code ec;
    fs::path abs = fs::absolute(dir, ec).lexically_normal();
    if (ec || !fs::is_directory(abs, ec)) return false;
    // No trailing separator except at the root.
    if (abs.has_relative_path() && abs.filename().empty()) abs = abs.parent_path();
    directory_ = abs;
    Fill();
    return true;
}

void TDirectoryListBox::Fill() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    std::vector<fs::path> chain;
    for (fs::path p = directory_;; p = p.parent_path()) {
        chain.push_back(p);
        if (p == p.parent_path() || p.parent_path().empty()) break;
    }
    std::reverse(chain.begin(), chain.end());
    auto add = [&](const fs::path& p, int depth, const QIcon& icon) {
        std::string name = p.filename().string();
        if (name.empty()) name = p.string();
        auto* item = new QListWidgetItem(icon, QString(depth * 3, ' ') + QString::fromStdString(name));
        item->setData(kPathRole, QString::fromStdString(p.string()));
        addItem(item);
        return item;
    };
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const auto& p : chain) current = add(p, depth++, open);
    std::vector<std::string> subfolders;
    std::error_code ec;
    for (fs::directory_iterator it(directory_, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (it->is_directory(e2)) subfolders.push_back(it->path().filename().string());
    }
    std::sort(subfolders.begin(), subfolders.end(), platform::LessIgnoringCase);
    for (const auto& s : subfolders) add(directory_ / s, depth, closed);
    setCurrentItem(current);
}

void TDirectoryListBox::OpenItem(QListWidgetItem* item) {
    if (!item) return;
    SetDirectory(item->data(kPathRole).toString().toStdString());
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        platform::Guarded([&] { OpenItem(currentItem()); });
        return;
    }
    QListWidget::keyPressEvent(e);
}

}  // namespace vorel
