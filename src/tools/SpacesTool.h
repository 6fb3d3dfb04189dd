#pragma once

#include "LineTool.h"

#include <QString>
#include <QStringView>

// Removes every space (code 32) in front of the first "#", "%", "(" or "{".
QString FUNC_Remover_Espacos(QStringView line);
// Puts a blank in front of every address letter of "ABCDFGHIJKLMPQRSTXYZ" and
// in front of the first "(" or "{", up to the first "#" or "%"; from the first
// "(" or "{" (after its blank) or "#" or "%" on, the line is copied unchanged.
QString FUNC_Adicionar_Espacos(QStringView line);

// The spaces tool (window TForm_EDT1).
class SpacesTool : public LineTool
{
public:
    enum class Mode { None, Add, Remove };
    explicit SpacesTool(Mode mode) : m_mode(mode) {}

    QString statusText() const override;
    QString historyTitle() const override;
    QStringList historyDetails() const override;
    bool hasWork() const override { return m_mode != Mode::None; }
    QString transform(QStringView line) override;

private:
    Mode m_mode;
};
