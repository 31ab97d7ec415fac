#pragma once
// Field types, field definitions and table schemas of the table engine.
#include <string>
#include <variant>
#include <vector>

namespace platform {

enum class TFieldType {
    ftString,  // A n: text of at most Size characters
    ftFloat,   // N: floating-point number
    ftBlob,    // B: bytes
    ftMemo,    // M: text of any length (multi-line)
};

struct TFieldDef {
    std::string Name;
    TFieldType DataType = TFieldType::ftString;
    int Size = 0;  // characters of an ftString; 0 otherwise
};

struct TTableSchema {
    std::vector<TFieldDef> Fields;
    std::vector<std::string> Key;  // primary index, in order; empty: none
    std::string Password;          // empty: an unprotected table
    // Secondary indexes (each a list of field names) that opening keeps in
    // the file: made when missing, for searches that filter on those fields.
    std::vector<std::vector<std::string>> Indexes = {};
};

// One field value: null, text (also the bytes of a blob) or a number.
using TValue = std::variant<std::monostate, std::string, double>;
using TRecord = std::vector<TValue>;

// Where the current record stands, as a grid shows it: Count records in
// all; Before and After records on either side, exact up to the window
// asked for (never more); RecNo 1-based, exact within the window of either
// end, elsewhere possibly an estimate that moves exactly with the record.
struct TGridPosition {
    int Count = 0;
    int RecNo = 0;
    int Before = 0;
    int After = 0;
};

}  // namespace platform
