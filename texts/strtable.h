#pragma once

#include <QString>

// The numbered table of the texts shown to the user, translated at call time in context "global".
namespace StrTable {

constexpr int NUM_STRING_IDS = 1061;

// Fills the table; called once at start-up before any LoadStr.
void InitStrTable();
// The translated text of a row, with "\n" and "\t" turned into line feed and tab.
// The empty string for an id outside the table or a row that holds no text.
QString LoadStr(int id);
// The id of the row with this key (compared without regard to case), or -1.
int LookupStrID(const QString &key);

}  // namespace StrTable
