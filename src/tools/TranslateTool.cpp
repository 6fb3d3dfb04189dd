#include "TranslateTool.h"

#include "CoordinateWords.h"
#include "ToolTexts.h"
#include "lang/Texts.h"

TranslateTool::TranslateTool(const Axis &x, const Axis &y, const Axis &z, bool plus, const NumberSyntax &syntax)
    : m_axes{{x, QLatin1Char('X'), {}, {}}, {y, QLatin1Char('Y'), {}, {}}, {z, QLatin1Char('Z'), {}, {}}},
      m_plus(plus),
      m_syntax(syntax)
{
}

QString TranslateTool::statusText() const { return T("Form_EDT4.MSG01"); }
QString TranslateTool::historyTitle() const { return T("Form_EDT4.MSG02"); }

QStringList TranslateTool::historyDetails() const
{
    static const char *const keys[3] = {"Form_EDT4.MSG03", "Form_EDT4.MSG04", "Form_EDT4.MSG05"};
    QStringList details;
    for (int i = 0; i < 3; ++i)
        details << (m_axes[i].axis.on ? T(keys[i]) + QLatin1Char(' ') + m_axes[i].axis.increment : QString());
    return details;
}

void TranslateTool::begin()
{
    for (State &state : m_axes) {
        state.value.reset();
        state.plain.reset();
    }
}

Extended TranslateTool::increment(State &state)
{
    // Read once; an invalid text fails at the first word that needs it.
    if (!state.value) {
        try {
            state.value = readTypedNumber(state.axis.increment, m_syntax);
            PlainDecimal plain;
            if (readPlainTypedDecimal(state.axis.increment, m_syntax, plain))
                state.plain = plain;
        } catch (const ConversionError &error) {
            throw OptionValueError(ToolTexts::incrementError(state.letter, error.numberText(),
                                                             error.kind() == ConversionError::Kind::TooLarge));
        }
    }
    return *state.value;
}

QString TranslateTool::transform(QStringView line)
{
    QString result;
    bool changed = false;
    for (State &state : m_axes) {
        if (!state.axis.on)
            continue;
        const QStringView current = changed ? QStringView(result) : line;
        QString rewritten;
        if (CoordinateWords::rewriteWords(current, state.letter,
                                          [&](const Extended &v) { return v + increment(state); }, m_plus, m_syntax,
                                          rewritten, &state.plain)) {
            result = std::move(rewritten);
            changed = true;
        }
    }
    return changed ? result : line.toString();
}
