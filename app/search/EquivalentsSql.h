#pragma once
// The SQL text of an equivalents search: a prefix ("select * from x.db
// where") followed by range and equality conditions. Numbers are written
// with "####0.000" and "." as decimal point whatever the locale.
#include <string>

namespace vorel {

// At least one integer digit, exactly three decimals, no thousands
// separator; halves round away from zero, as the class library's format
// routine does.
std::string FormatSqlNumber(long double value);

class EquivalentsSql {
public:
    explicit EquivalentsSql(std::string prefix) : prefix_(prefix), text_(std::move(prefix)) {}

    // " column >= lo and column <= hi" with hi = lo * (1 + percent / 100) in
    // extended precision. first: this is the device's criterion 1, which
    // never gets the joining " and".
    void AddRange(bool first, const std::string& column, long double lo, int percent);
    // " column = "value"", the value as stored (untrimmed), with a quote in
    // it doubled; the engine takes a double-quoted text as a literal, never
    // as a column name.
    void AddEquality(bool first, const std::string& column, const std::string& value);

    // True while no condition was added.
    bool Empty() const { return text_ == prefix_; }
    const std::string& Text() const { return text_; }

private:
    void Join(bool first);
    std::string prefix_, text_;
};

}  // namespace vorel
