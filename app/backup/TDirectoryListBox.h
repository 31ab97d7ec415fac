#pragma once
// A directory list as the class library's directory list box: the chain of
// folders from the root down to the open one, then the open folder's
// subfolders, indented by depth. A double click (or Enter) on an item opens
// it; Directory is the open folder.
#include <QListWidget>
#include <filesystem>

namespace vorel {

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    const std::filesystem::path& Directory() const { return directory_; }
    // Opens dir (made absolute); a folder that does not exist is refused (false).
    bool SetDirectory(const std::filesystem::path& dir);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void Fill();
    void OpenItem(QListWidgetItem* item);

    std::filesystem::path directory_;
};

}  // namespace vorel
