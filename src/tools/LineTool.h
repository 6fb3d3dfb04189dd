#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// What a tool gives to the run (FUNC_Aplicar_Ferramenta): how lines are read
// and which are skipped, the transformation of one line, and the texts of the
// progress window and the history entry.
class LineTool
{
public:
    virtual ~LineTool();

    virtual QString statusText() const = 0;
    virtual QString historyTitle() const = 0;
    // Details 1 to 3 of the history entry (empty ones are not shown).
    virtual QStringList historyDetails() const = 0;

    // Lines are given trimmed (blanks of code 32 or less at both ends removed)
    // or as stored.
    virtual bool readsTrimmed() const { return true; }
    virtual bool skips(QStringView line) const { return false; }
    // False when the options select nothing: the loop is not run at all.
    virtual bool hasWork() const { return true; }
    // The coordinate tools show every line they change.
    virtual bool showsEveryLine() const { return false; }

    // Called once before the first line: resets what the tool carries from
    // line to line.
    virtual void begin() {}
    // The new line for a read line. Throws Error (ConversionError for a text
    // that is not a number).
    virtual QString transform(QStringView line) = 0;
};
