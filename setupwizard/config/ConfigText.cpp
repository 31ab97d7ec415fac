#include "setupwizard/config/ConfigText.h"

#include <cctype>
#include <string>

#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/Format.h"

namespace setupwizard {

namespace {

// Deeper nesting than any form holds; the bound keeps the recursive reader
// (and the tree's destruction) off the end of the stack.
constexpr int kMaxDepth = 256;

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}

    ConfigObject Root() {
        ConfigObject root = Object();
        Skip();
        if (pos_ < s_.size()) Fail("text after the last end");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw platform::Exception(platform::Format("Setup configuration, line %d: %s", {line_, what}));
    }

    void Skip() {
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
                while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
    }
    bool Peek(char c) {
        Skip();
        return pos_ < s_.size() && s_[pos_] == c;
    }
    void Expect(char c) {
        if (!Peek(c)) Fail(std::string("'") + c + "' expected");
        ++pos_;
    }
    static bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
    // An identifier, dotted when allowed.
    std::string Ident(bool dotted = false) {
        Skip();
        const std::size_t start = pos_;
        if (pos_ >= s_.size() || !(std::isalpha(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
            Fail("a name expected");
        while (pos_ < s_.size() && (IdentChar(s_[pos_]) || (dotted && s_[pos_] == '.'))) ++pos_;
        return s_.substr(start, pos_ - start);
    }
    bool Keyword(const char* word) {
        Skip();
        const std::size_t n = std::char_traits<char>::length(word);
        if (s_.compare(pos_, n, word) != 0) return false;
        if (pos_ + n < s_.size() && IdentChar(s_[pos_ + n])) return false;
        pos_ += n;
        return true;
    }
    // One quoted part.
    std::string Quoted() {
        Expect('\'');
        std::string out;
        for (;;) {
            if (pos_ >= s_.size() || s_[pos_] == '\n') Fail("unterminated string");
            const char c = s_[pos_++];
            if (c != '\'') {
                out += c;
            } else if (pos_ < s_.size() && s_[pos_] == '\'') {
                out += '\'';
                ++pos_;
            } else {
                return out;
            }
        }
    }
    // Quoted parts joined by '+'.
    std::string String() {
        std::string out = Quoted();
        while (Peek('+')) {
            ++pos_;
            out += Quoted();
        }
        return out;
    }

    ConfigValue Value() {
        ConfigValue v;
        Skip();
        if (pos_ >= s_.size()) Fail("a value expected");
        const char c = s_[pos_];
        if (c == '\'') {
            v.kind = ConfigValue::String;
            v.text = String();
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            v.kind = ConfigValue::Integer;
            const std::size_t start = pos_;
            if (c == '-') ++pos_;
            while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            const std::string digits = s_.substr(start, pos_ - start);
            if (digits == "-" || digits.size() > 12) Fail("a number expected");
            v.number = std::stoll(digits);
        } else if (c == '[') {
            v.kind = ConfigValue::Set;
            ++pos_;
            if (!Peek(']')) {
                v.items.push_back(Ident());
                while (Peek(',')) {
                    ++pos_;
                    v.items.push_back(Ident());
                }
            }
            Expect(']');
        } else if (c == '(') {
            v.kind = ConfigValue::List;
            ++pos_;
            while (!Peek(')')) {
                if (pos_ >= s_.size()) Fail("')' expected");
                v.items.push_back(String());
            }
            ++pos_;
        } else if (c == '@') {
            v.kind = ConfigValue::Resource;
            ++pos_;
            const std::size_t start = pos_;
            while (pos_ < s_.size() && (IdentChar(s_[pos_]) || s_[pos_] == '.' || s_[pos_] == '-')) ++pos_;
            v.text = s_.substr(start, pos_ - start);
            if (v.text.empty()) Fail("a resource name expected");
        } else {
            v.kind = ConfigValue::Identifier;
            v.text = Ident();
        }
        return v;
    }

    ConfigObject Object(int depth = 1) {
        Skip();
        ConfigObject o;
        o.line = line_;
        if (!Keyword("object")) Fail("'object' expected");
        if (depth > kMaxDepth) Fail("objects nested deeper than " + std::to_string(kMaxDepth));
        o.name = Ident();
        Expect(':');
        o.className = Ident();
        for (;;) {
            Skip();
            if (pos_ >= s_.size()) Fail("'end' expected for " + o.name);
            if (Keyword("end")) return o;
            const std::size_t mark = pos_;
            const int markLine = line_;
            if (Keyword("object")) {
                pos_ = mark;
                line_ = markLine;
                o.children.push_back(Object(depth + 1));
                continue;
            }
            ConfigProperty p;
            p.line = line_;
            p.name = Ident(true);
            Expect('=');
            p.value = Value();
            o.properties.push_back(std::move(p));
        }
    }

    const std::string& s_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

}  // namespace

ConfigObject ParseConfig(const std::string& text) { return Parser(text).Root(); }

}  // namespace setupwizard
