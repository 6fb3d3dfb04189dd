#pragma once

#include "LineTool.h"
#include "NumberText.h"

#include <QString>

// The I/J arc-centre conversion tool (window TForm_EDT3): adds the arc's end
// or start point to I and J (absolute) or subtracts it (incremental). The
// position is tracked from the X and Y words of the processed lines.
class ArcCentreTool : public LineTool
{
public:
    enum class Mode { None, AbsoluteStart, IncrementalStart, AbsoluteEnd, IncrementalEnd };
    ArcCentreTool(Mode mode, bool plus, const NumberSyntax &syntax = NumberSyntax::current())
        : m_mode(mode), m_plus(plus), m_syntax(syntax) {}

    QString statusText() const override;
    QString historyTitle() const override;
    QStringList historyDetails() const override;
    bool showsEveryLine() const override { return true; }
    void begin() override;
    QString transform(QStringView line) override;

    // Number texts as found in the program, read as numbers only when used.
    QString ArcEndX, ArcEndY, ArcStartX, ArcStartY;

private:
    Mode m_mode;
    bool m_plus;
    NumberSyntax m_syntax;
};
