#pragma once

#include <QString>

class MachineList;
class TForm_Main;

// The machine lists of the run: the filtered list of the "Machines" page, the
// all-machines list of the selection window, the filter, delete and the selected
// machine. installMachineListArea and startMachineLists (WindowFactories.h) set
// them up; these are what the other windows call.

// Runs the filter with the current contents of the "Machines" page's boxes, after
// machines were added or changed. Throws Error on a database failure; the list
// then stays closed and empty.
void refreshMachineLists();

// Reopens the all-machines list (ordered by number, cursor on the first row).
// Throws Error on a database failure.
void FUNC_Listar_ALL_Maquinas();

// Makes the machine at `position` (from 1) of the all-machines list the selected
// machine: the values, the picture and the panel of the main window, the
// filtered list's cursor, and the browser when the machine's folder exists.
// Nothing changes when the list has no row at that position.
void FUNC_Selecionar_Maquina(int position);

// Before an action on the selected machine: on a shared server, whether it still
// exists. When another workstation deleted it, says so, and the selected values
// and the main window's panel show no machine. Throws Error on a database failure.
bool selectedMachineStillExists();

// The two lists (nullptr before the area is installed).
MachineList *filteredMachineList();
MachineList *allMachineList();
