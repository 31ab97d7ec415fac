#pragma once
// Backup and restore of the user's own tables, the repair table and the
// cross-reference table. A backup copies their table files into
// base directory + \data\backup; a restore merges the rows of a backup set
// into the live tables, adding only rows whose key is missing: it never
// overwrites or deletes a live row.
//
// The backup set is "Reparos.db" and "DS.db" (found whatever the case of
// their names). Each copy goes to a temporary name beside the destination
// and replaces it only when complete, so a failed backup keeps the one
// before it.
#include <string>
#include <vector>

namespace vorel {

class TModuloDeDados;

// The table files of a backup set, in the order they are copied.
const std::vector<std::string>& ArquivosDoBackup();

// Copies Source to Dest (host paths); 0 when the whole file arrived, 1 when
// it could not be opened, created, read or written completely (a message
// says which). Dest is replaced only by a complete copy.
int CopyFile(const std::string& Source, const std::string& Dest);

// Makes the backup set in base directory + \data\backup, closing every
// dataset on a table file before it is copied and reopening it after.
void BackupGeral(TModuloDeDados& modulo);

// Merges the backup set in Dir into the live tables and reports the result.
void RecuperaBackupGeral(TModuloDeDados& modulo, const std::string& Dir);

// Dir is the program's data directory, however it is written.
bool EDiretorioDeDados(const TModuloDeDados& modulo, const std::string& Dir);

}  // namespace vorel
