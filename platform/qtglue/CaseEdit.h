#pragma once
// An edit box that converts what the user types (or pastes) to upper or
// lower case, as the class library's CharCase does; text set by the program
// keeps its case. textChanged still fires for every change, typed or set.
#include <QLineEdit>

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

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    CharCase case_;
};

}  // namespace platform
