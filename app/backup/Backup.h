#pragma once
// Backup and restore of the user's own tables, the repair table and the
// cross-reference table. A backup copies their table files into
// base directory + \data\backup; a restore merges the rows of a backup set
// into the live tables, adding only rows whose key is missing: it never
// overwrites or deletes a live row.
//
// The backup set is "Reparos.db" and "DS.db" (found whatever the case of
// their names). Each copy is one committed state of its table, also while
// another copy of the program writes to it; it goes to a temporary name
// beside the destination and replaces it only when complete and sound (the
// engine's integrity check), so a failed backup keeps the one before it.
// Temporary files a killed backup left are removed by the next one.
#include <string>
#include <vector>

namespace vorel {

class TModuloDeDados;

// The table files of a backup set, in the order they are copied.
const std::vector<std::string>& BackupFiles();

// Copies the table file Source to Dest (host paths); 0 when the whole
// file arrived and passed the check, 1 when it could not be opened,
// created, read, written completely or checked (a message says which).
// Dest is replaced only by a complete, sound copy. A source that is
// damaged is reported as such; a source another program keeps locked is
// waited for a few times before it is reported.
int CopyFile(const std::string& Source, const std::string& Dest);

// Makes the backup set in base directory + \data\backup, closing every
// dataset on a table file before it is copied and reopening it after.
// A table another program keeps locked is waited for (a few seconds, a few
// times). Every table is tried whatever happened to the one before, and
// the backup always ends with the success box or the error summary, which
// names each table not copied (its earlier backup kept) and each failure
// to show a table again.
void BackupGeral(TModuloDeDados& module);

// Merges the backup set in Dir into the live tables and reports the
// result. Keys match as the tabs store and find them (trimmed, ignoring
// case); added rows get trimmed keys. Rows are written a few thousand per
// transaction: a killed restore leaves whole transactions only.
void RecuperaBackupGeral(TModuloDeDados& module, const std::string& Dir);

// Dir is the program's data directory, however it is written.
bool IsDataDirectory(const TModuloDeDados& module, const std::string& Dir);

}  // namespace vorel
