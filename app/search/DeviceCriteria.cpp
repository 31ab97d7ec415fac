#include "app/search/DeviceCriteria.h"

#include <charconv>

namespace vorel {

namespace {

Criterion Range(int n, std::string box, std::string caption, std::string combo, std::string field,
                std::string column, bool enabled = false, bool onlyPositive = false) {
    return {n, std::move(box), std::move(caption), std::move(combo), std::move(field), std::move(column),
            false, onlyPositive, enabled};
}

Criterion Equal(int n, std::string box, std::string caption, std::string field, std::string column) {
    return {n, std::move(box), std::move(caption), "", std::move(field), std::move(column), true, false, false};
}

}  // namespace

const DeviceCriteria& CriteriaOf(Device device) {
    static const DeviceCriteria transistores{
        Device::Transistores,
        "select * from transistores.db where",
        {
            Range(1, "CBPesquisarTBPd", "Search Pd up to", "PesquisarTBPd", "Pd", "pd"),
            Range(2, "CBPesquisarTBIc", "Search Ic up to", "PesquisarTBIc", "Ic", "ic"),
            Range(3, "CBPesquisarTBIcm", "Search Icm up to", "PesquisarTBIcm", "Icm", "icm"),
            Equal(4, "TBMesmaPolaridade", "Same polarity", "Polaridade", "polaridade"),
            Equal(5, "TBMesmoTipoDeUso", "Same type of use", "Uso", "uso"),
            Range(6, "CBPesquisarTBVce", "Search Vce# up to", "PesquisarTBVceo", "Vceo", "vceo", true, true),
            Range(7, "CBPesquisarTBVce", "Search Vce# up to", "PesquisarTBVceo", "Vceosus", "vceosus", true, true),
            Range(8, "CBPesquisarTBVce", "Search Vce# up to", "PesquisarTBVceo", "Vcev", "vcev", true, true),
            Range(9, "CBPesquisarTBVce", "Search Vce# up to", "PesquisarTBVceo", "Vbrceo", "vbrceo", true, true),
        }};
    static const DeviceCriteria diodosR{
        Device::DiodosR,
        "select * from diodosr.db where",
        {
            Range(1, "CBPesquisarDRVr", "Search Vr up to", "PesquisarDRVr", "Vr", "vr", true),
            Range(2, "CBPesquisarDRIf", "Search If up to", "PesquisarDRIf", "Io", "io"),
            Range(3, "CBPesquisarDRPd", "Search Pd up to", "PesquisarDRPd", "Pd", "pd"),
        }};
    static const DeviceCriteria diodosZ{
        Device::DiodosZ,
        "select * from diodosz.db where",
        {
            Range(1, "CBPesquisarDZTn", "Search Vz up to", "PesquisarDZTn", "Tn", "tn", true),
            Range(2, "CBPesquisarDZIz", "Search Iz up to", "PesquisarDZIz", "Iz", "iz"),
            Range(3, "CBPesquisarDZPd", "Search Pd up to", "PesquisarDZPd", "Pd", "pd"),
        }};
    switch (device) {
        case Device::Transistores: return transistores;
        case Device::DiodosR: return diodosR;
        case Device::DiodosZ: break;
    }
    return diodosZ;
}

const std::vector<std::string>& PercentItems() {
    static const std::vector<std::string> items = [] {
        std::vector<std::string> v;
        for (int p = 0; p <= 100; p += 5) v.push_back(std::to_string(p));
        for (int p = 110; p <= 200; p += 10) v.push_back(std::to_string(p));
        for (int p = 250; p <= 500; p += 50) v.push_back(std::to_string(p));
        return v;
    }();
    return items;
}

int PercentOf(const std::string& itemText) {
    int value = 0;
    auto [end, ec] = std::from_chars(itemText.data(), itemText.data() + itemText.size(), value);
    if (ec != std::errc() || end != itemText.data() + itemText.size()) return 0;
    return value;
}

}  // namespace vorel

#include "app/search/EquivalentsSql.h"

namespace vorel {

std::string BuildEquivalentsSql(const DeviceCriteria& device, const CriteriaInput& input) {
    EquivalentsSql sql(device.prefix);
    for (const Criterion& c : device.criteria) {
        if (!input.Checked(c)) continue;
        const bool first = c.number == 1;
        if (c.equality) {
            sql.AddEquality(first, c.column, input.Text(c.field));
            continue;
        }
        if (input.Missing(c.field)) continue;
        const double lo = input.Number(c.field);
        if (c.onlyPositive && !(lo > 0)) continue;
        sql.AddRange(first, c.column, lo, PercentOf(input.PercentText(c)));
    }
    return sql.Text();
}

}  // namespace vorel
