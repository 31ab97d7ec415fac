#pragma once
// Every width and height of the viewer comes from one text-metrics
// interface. The Qt measurer works at 96 DPI with kerning and shaping off,
// so the width of a text is the sum of its characters' widths and a piece
// paints exactly like the whole. The fake measurer gives every character one
// width and every font the same heights, for arithmetic in tests.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

class QFont;

namespace htmlview {

class TFont;

struct TTextMetric {
    int Height = 0;  // ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int ExternalLeading = 0;
    int Overhang = 0;
};

class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual TTextMetric Metrics(const TFont& font) = 0;
    // Width of Windows-1252 text in pixels.
    virtual int TextWidth(const TFont& font, std::string_view text) = 0;
};

class FakeTextMetrics : public TextMetrics {
public:
    int CharWidth = 8;
    int Height = 16;
    int Descent = 4;
    int ExternalLeading = 0;
    int Overhang = 0;
    TTextMetric Metrics(const TFont& font) override;
    int TextWidth(const TFont& font, std::string_view text) override;
};

class QtTextMetrics : public TextMetrics {
public:
    TTextMetric Metrics(const TFont& font) override;
    int TextWidth(const TFont& font, std::string_view text) override;
    // The Qt font a viewer font stands for (Windows names mapped to DejaVu).
    static QFont ToQFont(const TFont& font);

private:
    struct Entry {
        TTextMetric metric;
        std::array<std::uint16_t, 256> widths;
    };
    const Entry& entry(const TFont& font);
    std::map<std::tuple<std::string, int, int>, Entry> cache_;
};

// The measurer of the screen: the Qt one unless a test installed another.
TextMetrics& ScreenMetrics();
// Installs m (not owned); nullptr restores the Qt measurer.
void SetScreenMetrics(TextMetrics* m);

// Windows-1252 byte to its Unicode character.
char16_t Cp1252Char(unsigned char c);

}  // namespace htmlview
