// The stand-in's database: one SQLite file under the root that holds the
// registry and the spooler's state. Every call of the print system that changes
// state runs as one transaction, so that two processes (a settings UI and a print
// job) see one state, and a crash loses nothing that was written.
#pragma once

#include <functional>

struct sqlite3;

namespace platform {

// Runs `work` inside one immediate transaction on this thread's connection to
// the database; commits when it returns true, rolls back when it returns false.
// The result is what `work` returned, or false when the database could not be
// opened or the commit failed. A nested call runs in a savepoint of the outer
// transaction: when its work returns false only its own changes are undone.
bool WithDatabase(const std::function<bool(sqlite3* db)>& work);
// The same for work that only reads: a deferred transaction that sees one
// consistent state and does not block other readers.
bool ReadDatabase(const std::function<bool(sqlite3* db)>& work);

// Registers SQL that creates a subsystem's tables ("CREATE TABLE IF NOT EXISTS
// ..."); it runs on every connection before its first transaction. Call it from
// a static initialiser or before the first use of the database.
void RegisterSchema(const char* sql);

}  // namespace platform
