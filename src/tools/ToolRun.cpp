#include "ToolRun.h"

#include "LineText.h"
#include "LineTool.h"
#include "NumberText.h"
#include "RenumberTool.h"
#include "ToolLines.h"
#include "ToolTexts.h"
#include "lang/Texts.h"

#include <algorithm>

namespace {

// Keeps the changes of a run together, also when it ends by an error.
class ChangeBracket
{
public:
    explicit ChangeBracket(ToolLines &lines) : m_lines(lines) { m_lines.beginChanges(); }
    ~ChangeBracket() { m_lines.endChanges(); }
    ChangeBracket(const ChangeBracket &) = delete;
    ChangeBracket &operator=(const ChangeBracket &) = delete;

private:
    ToolLines &m_lines;
};

} // namespace

LineTool::~LineTool() = default;
ToolRunMonitor::~ToolRunMonitor() = default;

ToolLineError::ToolLineError(int lineNumber, const QString &reason, const QString &message)
    : Error(message), m_lineNumber(lineNumber), m_reason(reason)
{
}

QString ToolRange::historyLine() const
{
    if (wholeFile)
        return T("Shared.MSG01");
    return T("Shared.MSG02") + QString::number(firstLine) + T("Shared.MSG03") + QString::number(lastLine)
           + T("Shared.MSG04");
}

qint64 progressPercent(qint64 index, int maximum)
{
    if (maximum <= 0)
        return 100; // no lines: every index is past the end
    return (index * 200 + maximum) / (qint64(maximum) * 2);
}

ToolRunResult FUNC_Aplicar_Ferramenta(ToolLines &lines, LineTool &tool, const ToolRange &range,
                                      ToolRunMonitor *monitor)
{
    ToolRunMonitor silent;
    if (!monitor)
        monitor = &silent;

    ToolRunResult result;
    const int maximum = lines.count();
    const qint64 firstIndex = range.wholeFile ? 0 : qint64(range.firstLine) - 1;
    const qint64 lastIndex = range.wholeFile ? qint64(maximum) - 1 : qint64(range.lastLine) - 1;
    tool.begin();
    if (!tool.hasWork())
        return result;

    ChangeBracket bracket(lines);
    const bool trimmed = tool.readsTrimmed();
    qint64 shownPercent = -1;
    const auto step = [&](qint64 index) {
        monitor->processEvents();
        const qint64 percent = progressPercent(index, maximum);
        if (percent != shownPercent) {
            shownPercent = percent;
            monitor->showProgress(int(std::min<qint64>(index, maximum)), percent);
        }
        return !monitor->cancelRequested();
    };

    // Clamped before it becomes an int: a last line of INT_MIN must not wrap around.
    const int lastExisting = int(std::clamp<qint64>(lastIndex, -1, qint64(maximum) - 1));
    for (int i = 0; i <= lastExisting; ++i) {
        if (!step(i)) {
            result.cancelled = true;
            return result;
        }
        if (i < firstIndex)
            continue;
        const QString stored = lines.line(i);
        const QStringView read = trimmed ? LineText::trimmed(stored) : QStringView(stored);
        if (tool.skips(read))
            continue;
        QString changed;
        try {
            changed = tool.transform(read);
        } catch (const ConversionError &error) {
            throw ToolLineError(i + 1, error.message(),
                                error.kind() == ConversionError::Kind::TooLarge
                                    ? ToolTexts::numberTooLargeAtLine(i + 1, error.numberText())
                                    : ToolTexts::conversionErrorAtLine(i + 1, error.numberText()));
        } catch (const OptionValueError &error) {
            // The option's value, not the line, is wrong: the message says which.
            throw ToolLineError(i + 1, error.message(), error.message());
        } catch (const BlockNumberError &error) {
            throw ToolLineError(i + 1, error.message(), ToolTexts::blockNumberTooLargeAtLine(i + 1));
        } catch (const Error &error) {
            throw ToolLineError(i + 1, error.message(), ToolTexts::errorAtLine(i + 1, error.message()));
        }
        if (LineText::trimmed(changed) != LineText::trimmed(stored)) {
            lines.replaceLine(i, changed);
            ++result.changedLines;
        }
        if (i % 1000 == 0) {
            lines.setCaretLine(i);
            monitor->caretMoved();
        }
    }
    // Lines past the end read as empty, which no tool changes but the start/end
    // character one, and that one must not make the file grow: they only count
    // in the progress, all at once.
    if (lastIndex > lastExisting && !step(lastIndex))
        result.cancelled = true;
    return result;
}
