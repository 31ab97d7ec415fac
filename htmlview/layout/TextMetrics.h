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
    // The Qt font a viewer font stands for (Windows names mapped to DejaVu,
    // or the three common faces to Liberation, see SetWindowsFaces).
    static QFont ToQFont(const TFont& font);

private:
    struct Entry {
        TTextMetric metric;
        std::array<std::uint16_t, 256> widths;
    };
    // A font as given (names differing in case get entries of their own,
    // with the same metrics); looked up without copying the name.
    struct Key {
        std::string_view name;
        int size;
        int style;
        auto operator<=>(const Key&) const = default;
    };
    struct StoredKey {
        std::string name;
        int size;
        int style;
        Key view() const { return {name, size, style}; }
    };
    struct KeyLess {
        using is_transparent = void;
        static Key view(const Key& k) { return k; }
        static Key view(const StoredKey& k) { return k.view(); }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const {
            return view(a) < view(b);
        }
    };
    const Entry& entry(const TFont& font);
    std::map<StoredKey, Entry, KeyLess> cache_;
    // Text is measured in runs of one font: the last entry answers most look-ups.
    const StoredKey* lastKey_ = nullptr;
    const Entry* lastEntry_ = nullptr;
};

// The measurer of the screen: the Qt one unless a test installed another.
TextMetrics& ScreenMetrics();
// Installs m (not owned); nullptr restores the Qt measurer.
void SetScreenMetrics(TextMetrics* m);

// What stands for Times New Roman, Arial and Courier New: DejaVu (the
// default, always at hand, what tests measure with) or the metric-compatible
// Liberation fonts, which the programs choose at start-up, before anything is
// measured, so that pages wrap where their authors saw them wrap.
enum class TWindowsFaces { DejaVu, Liberation };
void SetWindowsFaces(TWindowsFaces faces);
TWindowsFaces WindowsFaces();

// Windows-1252 byte to its Unicode character.
char16_t Cp1252Char(unsigned char c);

}  // namespace htmlview
