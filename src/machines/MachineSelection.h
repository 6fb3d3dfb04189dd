#pragma once

#include "MachineRecord.h"

#include <QString>
#include <optional>

class MachineList;
struct AppState;

// The rules of the machine lists: opening them, the filter, choosing the
// selected machine and the delete question. Database failures throw Error.
namespace MachineSelection {

// FUNC_Listar_ALL_Maquinas: every machine ordered by number; the cursor on the
// first row. On failure the list stays closed and empty.
void listAllMachines(MachineList &all);

// The filter of the "Machines" page: names and numbers containing the trimmed
// texts ("%" and "_" are wildcards); a blank box does not narrow the list. On
// failure the list stays closed and empty.
void runFilter(MachineList &filtered, const QString &nameText, const QString &numberText);

// The selection window's list: machines whose name or number contains the
// trimmed text (every machine for a blank one). On failure the list stays
// closed and empty.
void filterAllMachines(MachineList &all, const QString &text);

// A filter box's text without leading and trailing blanks and control characters.
QString trimmedFilter(const QString &text);

// The data part of selecting the machine at `position` (from 1) of the
// all-machines list: both cursors go to that position (the filtered list's to its
// last row when it is shorter) and the row's values become the selected machine,
// the program directory with a separator at its end. Returns the row as stored,
// or nothing (and no change) when the list has no row at that position.
std::optional<MachineRecord> selectMachine(MachineList &all, MachineList &filtered, int position, AppState &state);

// The directory with the path separator appended when it does not end in one
// (an empty text becomes the separator alone).
QString withTrailingSeparator(const QString &directory);

// "QUESTION: Would You Like to Delete the machine ..." with the number and the
// name on lines of their own, in the current language.
QString deleteQuestion(const MachineRecord &machine);

} // namespace MachineSelection
