#pragma once
// The 24 pages of the script wizard, by dialog number (CPage1 to CPage25; 17 is not used).

class CKestrelSheet;

// Adds every page to `sheet`, each under its dialog number.
void AddKestrelPages(CKestrelSheet& sheet);

// The messages of the pages that list tables and fields.
inline constexpr const char* kNoTableMessage =
    "You must select a datasource table. If none are displayed, there may be a problem with your "
    "chosen datasource.";
inline constexpr const char* kNoFieldMessage =
    "You must select a datasource field. If none are displayed, there may be a problem with your "
    "chosen datasource.";
