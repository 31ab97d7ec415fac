#pragma once
// Small integer and string routines of the viewer. Text in the viewer is
// Windows-1252 bytes; positions are byte indexes.
#include <cstdint>
#include <string>
#include <string_view>

namespace htmlview {

// A * B / C rounded half away from zero as the platform's MulDiv does;
// -1 when C is 0 or the result does not fit 32 bits.
int MulDiv(int a, int b, int c);

inline int LesserInt(int a, int b) { return a < b ? a : b; }

// Sizes taken from a page are kept to +-32000 pixels, so that sums of them
// in layout never overflow.
constexpr int kMaxPagePixels = 32000;
inline int ClampPagePixels(int v) { return v < -kMaxPagePixels ? -kMaxPagePixels : v > kMaxPagePixels ? kMaxPagePixels : v; }
inline int GreaterInt(int a, int b) { return a > b ? a : b; }

// Windows-1252 case mapping of one byte (letters of the code page).
unsigned char LowerCp1252(unsigned char c);
unsigned char UpperCp1252(unsigned char c);

// The integer value of S (optional sign, decimal digits, or '$' and hex
// digits); false when S is not one or it does not fit 32 bits.
bool TryStrToInt(std::string_view s, int& value);
// The same with Default for anything that is not a 32-bit integer.
int StrToIntDef(std::string_view s, int def);

// Decodes %XX escapes in passes from the start of the string; stops at the
// first escape that is not hexadecimal or that would decode to a 0 byte.
std::string DecodePercents(std::string s);
// The local form of a link URL (file:/// removed, '/' -> '\', '|' -> ':').
std::string UrlToDosPath(const std::string& url);
// UrlToDosPath, with Prefix in front of a result that begins with '\'.
std::string UrlToFileName(const std::string& url, const std::string& prefix);

// Where copied text goes: anything that takes bytes.
class TTextSink {
public:
    virtual ~TTextSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// A sink that keeps what it was given.
class TStringSink : public TTextSink {
public:
    std::string Text;
    void Write(std::string_view bytes) override { Text.append(bytes); }
};

// Count bytes of Text (clamped to its length), then CR LF.
void WriteTextLine(TTextSink& sink, std::string_view text, int count);

}  // namespace htmlview
