#pragma once
#include <cstdint>

// The global string table: a text file of CR LF ended lines, loaded whole.
// Lines are addressed from 0 to g_lStringTableLast.

extern char* g_pStringTableText;
extern char** g_ppStringTableLines;
extern int32_t g_lStringTableLast; // -1 when no table is loaded

// Loads the file (a data path), replacing any table loaded before. A final
// Ctrl-Z is dropped and a last line without CR LF is closed; a file of 0 or
// 1 bytes gives a table of no lines. 1 on success, 0 with one trace line
// when the file is not a regular file, does not open or is longer than 64
// MiB (no table is left then).
int32_t l_LoadStringTable(const char* fileName);
void v_FreeStringTable();
// The line, or null when no table is loaded or the index is out of range.
const char* p_GetStringTableLine(int32_t line);
