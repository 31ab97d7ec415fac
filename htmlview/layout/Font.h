#pragma once
// TFont: a font description with a change notification, as the class
// library's font objects behave: every change calls OnChange.
#include "htmlview/util/Colors.h"

#include <cstdint>
#include <functional>
#include <string>

namespace htmlview {

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;

class TFont {
public:
    TFont() = default;
    TFont(const TFont& other) { copyFrom(other); }
    TFont& operator=(const TFont& other) {
        if (this != &other) {
            copyFrom(other);
            Changed();
        }
        return *this;
    }
    virtual ~TFont() = default;

    const std::string& Name() const { return name_; }
    int Size() const { return size_; }  // points
    TFontStyles Style() const { return style_; }
    TColor Color() const { return color_; }
    int Charset() const { return charset_; }

    void SetName(const std::string& v) { if (v != name_) { name_ = v; Changed(); } }
    void SetSize(int v) { if (v != size_) { size_ = v; Changed(); } }
    void SetStyle(TFontStyles v) { if (v != style_) { style_ = v; Changed(); } }
    void SetColor(TColor v) { if (v != color_) { color_ = v; Changed(); } }
    void SetCharset(int v) { if (v != charset_) { charset_ = v; Changed(); } }

    // Copies the description; a TMyFont also copies its own fields.
    virtual void Assign(const TFont& source) { *this = source; }

    std::function<void()> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange();
    }

private:
    void copyFrom(const TFont& o) {
        name_ = o.name_;
        size_ = o.size_;
        style_ = o.style_;
        color_ = o.color_;
        charset_ = o.charset_;
    }
    std::string name_ = "Times New Roman";
    int size_ = 12;
    TFontStyles style_ = 0;
    TColor color_ = 0;
    int charset_ = 1;
};

}  // namespace htmlview
