#include "MachineFieldChecks.h"

#include "MachineRecord.h"

namespace MachineFieldChecks {

namespace {
bool blank(const QString &s) { return s.trimmed().isEmpty(); }
} // namespace

Failure FUNC_Verifica_Campos(const Fields &f)
{
    struct Check
    {
        bool failed;
        const char *key;
        const char *control;
    };
    const int t = f.transferType;
    const Check checks[] = {
        {blank(f.number), "Form_Maquinas.MSG02", "Edit1"},
        {blank(f.description), "Form_Maquinas.MSG03", "Edit2"},
        {f.picture == 0, "Form_Maquinas.MSG04", "ComboBox2"},
        {blank(f.programDirectory), "Form_Maquinas.MSG05", "Edit9"},
        {t == 0, "Form_Maquinas.MSG06", "ComboBox1"},
        {(t == 1 || t == 2) && blank(f.directory), "Form_Maquinas.MSG07", "Edit3"},
        {t == 3 && blank(f.host), "Form_Maquinas.MSG08", "Edit4"},
        {t == 3 && blank(f.port), "Form_Maquinas.MSG09", "Edit5"},
        {t == 3 && blank(f.user), "Form_Maquinas.MSG10", "Edit6"},
        {t == 3 && blank(f.password), "Form_Maquinas.MSG11", "Edit7"},
        {t == 3 && blank(f.ftpDirectory), "Form_Maquinas.MSG12", "Edit8"},
        {t == 4 && blank(f.comPort), "Form_Maquinas.MSG13", "ComboBox3"},
        {t == 4 && blank(f.speed), "Form_Maquinas.MSG14", "ComboBox4"},
        {t == 4 && blank(f.dataBits), "Form_Maquinas.MSG15", "ComboBox5"},
        {t == 4 && blank(f.parity), "Form_Maquinas.MSG16", "ComboBox6"},
        {t == 4 && blank(f.stopBits), "Form_Maquinas.MSG17", "ComboBox7"},
        {t == 4 && blank(f.flow), "Form_Maquinas.MSG18", "ComboBox8"},
    };
    for (const Check &c : checks) {
        if (c.failed)
            return {QLatin1String(c.key), QLatin1String(c.control)};
    }
    return {};
}

QString transferTypeWord(int position)
{
    switch (position) {
    case 1: return TransferType::DirLocal;
    case 2: return TransferType::DirNet;
    case 3: return TransferType::Ftp;
    case 4: return TransferType::Serial;
    default: return QString();
    }
}

int transferTypePosition(const QString &word)
{
    if (word == TransferType::DirLocal)
        return 1;
    if (word == TransferType::DirNet || word == TransferType::DirRede)
        return 2;
    if (word == TransferType::Ftp)
        return 3;
    if (word == TransferType::Serial)
        return 4;
    return -1;
}

} // namespace MachineFieldChecks
