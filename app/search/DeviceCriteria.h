#pragma once
// What an equivalents search compares, per device, in the order the
// conditions are appended: one entry per SQL column. Several columns may
// share a checkbox and a combo (the transistor's Vce# family).
#include <string>
#include <vector>

namespace vorel {

enum class Device { Transistores, DiodosR, DiodosZ };

struct Criterion {
    int number;            // 1-based; criterion 1 never takes the joining " and"
    std::string checkbox;  // control names, as the window names them
    std::string caption;
    std::string combo;     // "" for an equality criterion
    std::string field;     // field of the original record
    std::string column;    // SQL column
    bool equality = false;
    bool onlyPositive = false;  // skipped when the original's value is 0 or empty
    bool enabledAtStart = false;
};

struct DeviceCriteria {
    Device device;
    std::string prefix;  // "select * from x.db where"
    std::vector<Criterion> criteria;
};

const DeviceCriteria& CriteriaOf(Device device);

// The 37 percentage items: 0..100 by 5, 110..200 by 10, 250..500 by 50.
const std::vector<std::string>& PercentItems();

// The integer value of a combo's item text; an empty or bad text counts as 0.
int PercentOf(const std::string& itemText);

}  // namespace vorel

namespace vorel {

// What the window and the original record answer while the SQL is built.
struct CriteriaInput {
    virtual ~CriteriaInput() = default;
    virtual bool Checked(const Criterion& c) const = 0;
    virtual std::string PercentText(const Criterion& c) const = 0;  // the combo's selected item
    virtual double Number(const std::string& field) const = 0;      // the original's value (null: 0)
    // True when the original has no figure for field: a range around an
    // unknown value would match nothing, not even the original itself.
    virtual bool Missing(const std::string& field) const { (void)field; return false; }
    virtual std::string Text(const std::string& field) const = 0;   // the original's value as stored
};

// The SQL of an equivalents search; exactly the prefix when no criterion applies.
std::string BuildEquivalentsSql(const DeviceCriteria& device, const CriteriaInput& input);

}  // namespace vorel
