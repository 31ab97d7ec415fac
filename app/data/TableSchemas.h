#pragma once
// The seven tables of the program: file names and schemas. The catalogue
// tables carry the table password; the user's own tables (Reparos, DS) none.
#include "platform/tables/FieldDefs.h"

#include <string>
#include <vector>

namespace vorel {

// The password of the catalogue tables.
inline constexpr const char* kTablePassword = "vKarPelmuZ";

struct TableDefinition {
    std::string File;  // table file, e.g. "Transistores.db"
    platform::TTableSchema Schema;
};

// Graficos, Reparos, Transistores, DiodosR, DiodosZ, Integrados, DS.
const std::vector<TableDefinition>& TableDefinitions();

// The schema of a table file (name compared ignoring case); raises
// platform::Exception for a name that is not one of the seven.
const platform::TTableSchema& SchemaOf(const std::string& file);

}  // namespace vorel
