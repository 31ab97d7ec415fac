#include "platform/tables/Field.h"

#include "platform/tables/DataSet.h"
#include "platform/tables/EDBEngineError.h"
#include "platform/core/runtime/Text.h"

#include <charconv>
#include <cmath>

namespace platform {

namespace {
size_t Utf8Length(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// The run-time library's general float format: 15 significant digits,
// "E" exponents without '+' or leading zeros ("1E-5", "1.5E20").
std::string FloatText(double d) {
    if (std::isnan(d)) return "NAN";
    if (std::isinf(d)) return d > 0 ? "INF" : "-INF";
    // As printf's "%.15G" writes it (the grids format every visible cell).
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 15);
    std::string s(buf, written.ptr);
    size_t e = s.find('e');
    if (e == std::string::npos) return s;
    std::string mant = s.substr(0, e), exp = s.substr(e + 1);
    bool neg = !exp.empty() && exp[0] == '-';
    if (!exp.empty() && (exp[0] == '-' || exp[0] == '+')) exp.erase(0, 1);
    size_t nz = exp.find_first_not_of('0');
    exp = nz == std::string::npos ? "0" : exp.substr(nz);
    return mant + "E" + (neg ? "-" : "") + exp;
}

bool ParseFloat(const std::string& text, double& out) {
    std::string t = TrimWhitespace(text);
    if (t.empty()) return false;
    const char* b = t.data();
    if (*b == '+') ++b;
    auto [p, ec] = std::from_chars(b, t.data() + t.size(), out);
    return ec == std::errc() && p == t.data() + t.size();
}
}  // namespace

bool TField::IsNull() const {
    const TValue& v = Value();
    if (std::holds_alternative<std::monostate>(v)) return true;
    // Empty text is no value, as in the class library's tables.
    if (const auto* s = std::get_if<std::string>(&v)) return s->empty();
    return false;
}

std::string TField::Text(const TValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (const auto* d = std::get_if<double>(&value)) return FloatText(*d);
    return "";
}

std::string TField::AsString() const { return Text(Value()); }

double TField::AsFloat() const {
    const TValue& v = Value();
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* s = std::get_if<std::string>(&v)) {
        if (TrimWhitespace(*s).empty()) return 0;
        double d = 0;
        if (!ParseFloat(*s, d))
            throw EDBEngineError("'" + *s + "' is not a valid floating point value for field '" + def_.Name + "'.",
                                 owner_->FileDescription());
        return d;
    }
    return 0;
}

int TField::AsInteger() const { return static_cast<int>(std::lround(AsFloat())); }

void TField::SetAsString(const std::string& text) {
    switch (def_.DataType) {
    case TFieldType::ftFloat: {
        if (TrimWhitespace(text).empty()) return Clear();
        double d = 0;
        if (!ParseFloat(text, d))
            throw EDBEngineError("'" + text + "' is not a valid floating point value for field '" + def_.Name + "'.",
                                 owner_->FileDescription());
        return SetAsFloat(d);
    }
    case TFieldType::ftString:
        if (def_.Size > 0 && Utf8Length(text) > static_cast<size_t>(def_.Size))
            throw EDBEngineError("Field '" + def_.Name + "' holds at most " + std::to_string(def_.Size) +
                                     " characters.",
                                 owner_->FileDescription());
        [[fallthrough]];
    default:
        if (text.empty()) return Clear();
        owner_->SetFieldValue(index_, text);
    }
}

void TField::SetAsFloat(double value) {
    if (def_.DataType == TFieldType::ftFloat) return owner_->SetFieldValue(index_, value);
    SetAsString(FloatText(value));
}

void TField::SetAsBytes(const std::string& bytes) { owner_->SetFieldValue(index_, FromBytes(def_, bytes, *owner_)); }

TValue TField::FromBytes(const TFieldDef& def, const std::string& bytes, const TDataSet& owner) {
    switch (def.DataType) {
    case TFieldType::ftFloat: {
        if (TrimWhitespace(bytes).empty()) return std::monostate{};
        double d = 0;
        if (!ParseFloat(bytes, d))
            throw EDBEngineError("'" + bytes + "' is not a valid floating point value for field '" + def.Name + "'.",
                                 owner.FileDescription());
        return d;
    }
    case TFieldType::ftString:
        if (def.Size > 0 && Utf8Length(bytes) > static_cast<size_t>(def.Size))
            throw EDBEngineError("Field '" + def.Name + "' holds at most " + std::to_string(def.Size) + " characters.",
                                 owner.FileDescription());
        break;
    default: break;
    }
    if (bytes.empty()) return std::monostate{};
    return bytes;
}

void TField::Clear() { owner_->SetFieldValue(index_, std::monostate{}); }

}  // namespace platform
