#pragma once
// A field of a dataset's current record, reached by name. Reading works in
// every open state; writing only while the dataset edits or inserts.
#include "platform/tables/FieldDefs.h"

#include <string>

namespace platform {

class TDataSet;

class TField {
public:
    TField(TDataSet& owner, int index, TFieldDef def) : owner_(&owner), index_(index), def_(std::move(def)) {}

    const std::string& FieldName() const { return def_.Name; }
    TFieldType DataType() const { return def_.DataType; }
    int Size() const { return def_.Size; }
    int Index() const { return index_; }
    const TFieldDef& Def() const { return def_; }

    bool IsNull() const;
    // Text of the value: numbers as the run-time library writes them
    // ("0.5", "45", "1E-5"), blobs as their bytes, null as "".
    std::string AsString() const;
    // Numbers; text is parsed ("" and null give 0). Bad text raises.
    double AsFloat() const;
    int AsInteger() const;
    // Bytes of a blob or memo (any field: its text).
    std::string AsBytes() const { return AsString(); }
    const TValue& Value() const;  // inline in DataSet.h

    // Text over the field's width raises; "" makes a field null.
    void SetAsString(const std::string& text);
    void SetAsFloat(double value);
    void SetAsBytes(const std::string& bytes);
    void Clear();

    // How a value of this field reads as text (grids use it for peeked rows).
    static std::string Text(const TValue& value);
    // The value SetAsBytes stores for a field of this definition in owner's
    // records; raises as it does.
    static TValue FromBytes(const TFieldDef& def, const std::string& bytes, const TDataSet& owner);

private:
    TDataSet* owner_;
    int index_;
    TFieldDef def_;
};

}  // namespace platform
