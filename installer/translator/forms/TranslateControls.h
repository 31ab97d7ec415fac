#pragma once
// A label and a bitmap button that carry a string number (GLID). Greater
// than 0: the caption becomes the target language's string of that number.
// Any non-zero number keeps the control out of translation by wording; 0
// leaves it to translation by wording.
#include <QLabel>
#include <QPushButton>

namespace installer {

class TTranslateLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(int GLID READ GLID WRITE SetGLID)
public:
    using QLabel::QLabel;
    int GLID() const { return glid_; }
    void SetGLID(int glid) { glid_ = glid; }

private:
    int glid_ = 0;
};

class TTranslateBitBtn : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(int GLID READ GLID WRITE SetGLID)
public:
    using QPushButton::QPushButton;
    int GLID() const { return glid_; }
    void SetGLID(int glid) { glid_ = glid; }

private:
    int glid_ = 0;
};

}  // namespace installer
