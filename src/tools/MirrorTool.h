#pragma once

#include "LineTool.h"
#include "NumberText.h"

#include <QString>
#include <QStringView>

// The line with the first occurrence of `oldToken` replaced by `newToken`
// (anywhere in the line, comments included). A one-digit code such as "G2" or
// "G3" counts only where no digit follows it, so "G20" and "G28" are not G2.
QString FUNC_Substituir_Primeiro(QStringView line, QStringView oldToken, QStringView newToken);

// The XY mirror tool (window TForm_EDT5): negates X and/or Y and swaps the
// codes G02/G03 and G41/G42.
class MirrorTool : public LineTool
{
public:
    struct Options
    {
        bool x = false, y = false;           // CheckBox1, CheckBox2
        bool g02 = false, g03 = false;       // CheckBox3, CheckBox4
        bool g41 = false, g42 = false;       // CheckBox5, CheckBox6
        bool plus = false;                   // CheckBox7
    };
    explicit MirrorTool(const Options &options, const NumberSyntax &syntax = NumberSyntax::current())
        : m_options(options), m_syntax(syntax) {}

    QString statusText() const override;
    QString historyTitle() const override;
    QStringList historyDetails() const override;
    bool showsEveryLine() const override { return true; }
    QString transform(QStringView line) override;

private:
    Options m_options;
    NumberSyntax m_syntax;
};
