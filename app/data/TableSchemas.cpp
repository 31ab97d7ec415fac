#include "app/data/TableSchemas.h"

#include "app/search/DeviceCriteria.h"

#include "platform/core/runtime/Exception.h"
#include "platform/core/runtime/PathCase.h"

namespace vorel {

namespace {
using platform::TFieldDef;
using platform::TFieldType;
using platform::TTableSchema;

TFieldDef A(const char* name, int size) { return {name, TFieldType::ftString, size}; }
TFieldDef N(const char* name) { return {name, TFieldType::ftFloat, 0}; }
TFieldDef B(const char* name) { return {name, TFieldType::ftBlob, 0}; }
TFieldDef M(const char* name) { return {name, TFieldType::ftMemo, 0}; }

// One index per column an equivalents search filters on, so a search reads
// the few records in its ranges instead of the whole table.
std::vector<std::vector<std::string>> SearchIndexes(Device device) {
    std::vector<std::vector<std::string>> indexes;
    for (const Criterion& c : CriteriaOf(device).criteria) indexes.push_back({c.column});
    return indexes;
}

std::vector<TableDefinition> Define() {
    std::vector<TableDefinition> t;
    t.push_back(
        {"Graficos.db", TTableSchema{{A("Identificacao", 20), B("Figura")}, {"Identificacao"}, kTablePassword, {}}});
    t.push_back({"Reparos.db",
                 TTableSchema{{A("Fabricante", 15), A("Equipamento", 15), A("Modelo", 15), A("Defeito", 60), B("Descricao")},
                              {"Fabricante", "Equipamento", "Modelo", "Defeito"},
                              "",
                              {}}});
    t.push_back({"Transistores.db",
                 TTableSchema{{A("Identificacao", 20), A("Fabricante", 20), A("Uso", 20), A("Polaridade", 6), N("Vceo"),
                               N("Vceosus"), N("Vcev"), N("Vbrceo"), N("Vcbo"), N("Vebo"), N("Ic"), N("Icm"), N("Ib"),
                               N("Ibm"), N("Pd"), A("Tpd", 15), A("Hfe1", 15), A("Ichfe1", 15), A("Hfe2", 15),
                               A("Ichfe2", 15), A("Vcesat", 15), A("Icibvce", 15), A("Vbesat", 15), A("Icibvbe", 15),
                               A("Toff", 15), A("Ictoff", 15), A("Ft", 15), A("Ftip", 15), A("Fftip", 15),
                               A("Encapsulamento", 20), A("Observacoes", 250)},
                              {"Identificacao"},
                              kTablePassword,
                              SearchIndexes(Device::Transistores)}});
    t.push_back({"DiodosR.db",
                 TTableSchema{{A("Identificacao", 20), A("Uso", 26), A("Vrm", 6), N("Vr"), N("Io"), A("Ifsm", 6), N("Pd"),
                               A("Nota", 50), A("Encapsulamento", 20), A("Fabricante", 22)},
                              {"Identificacao"},
                              kTablePassword,
                              SearchIndexes(Device::DiodosR)}});
    t.push_back({"DiodosZ.db",
                 TTableSchema{{A("Identificacao", 20), A("Marca", 6), N("Tn"), N("Iz"), N("Pd"), A("Tj", 5), A("Rij", 4),
                               A("Nota", 50), A("Tolerancia", 3), A("Encapsulamento", 20), A("Fabricante", 22)},
                              {"Identificacao"},
                              kTablePassword,
                              SearchIndexes(Device::DiodosZ)}});
    t.push_back({"Integrados.db",
                 TTableSchema{{A("Identificacao", 20), A("Fabricante", 22), A("Descricao", 80)},
                              {"Identificacao", "Fabricante"},
                              kTablePassword,
                              {}}});
    t.push_back({"DS.db",
                 TTableSchema{{A("Original", 25), A("Fabricante", 20), A("Descricao", 50), M("Similar"), M("Equivalente")},
                              {"Original", "Fabricante"},
                              "",
                              {}}});
    return t;
}
}  // namespace

const std::vector<TableDefinition>& TableDefinitions() {
    static const std::vector<TableDefinition> tables = Define();
    return tables;
}

const platform::TTableSchema& SchemaOf(const std::string& file) {
    for (const auto& t : TableDefinitions())
        if (platform::SameNameIgnoringCase(t.File, file)) return t.Schema;
    throw platform::Exception("Unknown table file \"" + file + "\".");
}

}  // namespace vorel
