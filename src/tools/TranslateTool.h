#pragma once

#include "LineTool.h"
#include "NumberText.h"

#include <QString>
#include <optional>

// The XYZ translation tool (window TForm_EDT4): adds an increment to every X,
// Y and/or Z word. An increment is read (in the system's number format) only
// when a word of its axis with a number is met, so an empty or wrong field
// fails only on a program that has such a word.
class TranslateTool : public LineTool
{
public:
    struct Axis
    {
        bool on = false;
        QString increment; // the field's text as typed
    };
    TranslateTool(const Axis &x, const Axis &y, const Axis &z, bool plus,
                  const NumberSyntax &syntax = NumberSyntax::current());

    QString statusText() const override;
    QString historyTitle() const override;
    QStringList historyDetails() const override;
    bool showsEveryLine() const override { return true; }
    void begin() override;
    QString transform(QStringView line) override;

private:
    struct State
    {
        Axis axis;
        QChar letter;
        std::optional<Extended> value;     // once read
        std::optional<PlainDecimal> plain; // the same, when it is a plain decimal
    };
    Extended increment(State &state);

    State m_axes[3];
    bool m_plus;
    NumberSyntax m_syntax;
};
