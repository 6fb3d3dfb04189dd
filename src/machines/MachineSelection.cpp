#include "MachineSelection.h"

#include "Database.h"
#include "MachineList.h"
#include "app/AppState.h"
#include "lang/Texts.h"
#include "platform/Paths.h"

namespace MachineSelection {

void listAllMachines(MachineList &all)
{
    QList<MachineRecord> rows;
    try {
        rows = TDataModule1::instance().allMachines();
    } catch (...) {
        all.close();
        throw;
    }
    all.open(rows);
}

QString trimmedFilter(const QString &text)
{
    int begin = 0;
    int end = int(text.size());
    while (begin < end && (text.at(begin).unicode() <= u' ' || text.at(begin).isSpace()))
        ++begin;
    while (end > begin && (text.at(end - 1).unicode() <= u' ' || text.at(end - 1).isSpace()))
        --end;
    return text.mid(begin, end - begin);
}

void runFilter(MachineList &filtered, const QString &nameText, const QString &numberText)
{
    // Closed first only on failure: one reset of the views instead of two.
    QList<MachineRecord> rows;
    try {
        rows = TDataModule1::instance().filteredMachines(trimmedFilter(nameText), trimmedFilter(numberText));
    } catch (...) {
        filtered.close();
        throw;
    }
    filtered.open(rows);
}

void filterAllMachines(MachineList &all, const QString &text)
{
    QList<MachineRecord> rows;
    try {
        rows = TDataModule1::instance().machinesMatching(trimmedFilter(text));
    } catch (...) {
        all.close();
        throw;
    }
    all.open(rows);
}

QString withTrailingSeparator(const QString &directory)
{
    // Only a separator is added; the stored text is not converted otherwise.
    if (directory.endsWith(Paths::separator()))
        return directory;
    return directory + Paths::separator();
}

std::optional<MachineRecord> selectMachine(MachineList &all, MachineList &filtered, int position, AppState &state)
{
    if (all.rowCount() == 0 || !all.setPosition(position))
        return std::nullopt;
    // The "Machines" page shows the same row position, whichever machine is there.
    if (filtered.rowCount() > 0)
        filtered.setPosition(qMin(position, filtered.rowCount()));
    const MachineRecord m = *all.current();
    state.SelectedMachineId = m.id;
    state.SelectedMachineNumber = m.number;
    state.SelectedMachineDescription = m.description;
    state.SelectedTransferType = m.transferType;
    state.SelectedPictureId = m.pictureId;
    // A relative folder is in the application folder, wherever that was copied.
    state.SelectedProgramDirectory =
        withTrailingSeparator(Paths::inApplicationFolder(m.programDirectory, state.AppDirectory));
    return m;
}

QString deleteQuestion(const MachineRecord &machine)
{
    return T("Form_Main.MSG37") + QLatin1Char('\r') + T("Form_Main.MSG38") + machine.number + QLatin1Char('\r')
           + T("Form_Main.MSG39") + machine.description;
}

} // namespace MachineSelection
