#pragma once
// Oracle functions that the programs' SQL texts use, for SQLite connections:
//   DECODE(expr, search1, result1 [, searchN, resultN]... [, default])
//   TO_CHAR(value [, format])  with the format elements YYYY, MM, DD, HH24, MI, SS
// A time stamp is stored as text "YYYY-MM-DD HH:MI:SS" (or its date part alone).

struct sqlite3;

// Returns false when SQLite refused a registration.
bool RegisterOracleFunctions(sqlite3* db);
