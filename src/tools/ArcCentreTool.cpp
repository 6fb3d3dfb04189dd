#include "ArcCentreTool.h"

#include "CoordinateWords.h"
#include "lang/Texts.h"

QString ArcCentreTool::statusText() const { return T("Form_EDT3.MSG01"); }
QString ArcCentreTool::historyTitle() const { return T("Form_EDT3.MSG02"); }

QStringList ArcCentreTool::historyDetails() const
{
    QString detail;
    switch (m_mode) {
    case Mode::AbsoluteEnd: detail = T("Form_EDT3.MSG03"); break;
    case Mode::IncrementalEnd: detail = T("Form_EDT3.MSG04"); break;
    case Mode::AbsoluteStart: detail = T("Form_EDT3.MSG05"); break;
    case Mode::IncrementalStart: detail = T("Form_EDT3.MSG06"); break;
    case Mode::None: break;
    }
    return {detail, QString(), QString()};
}

void ArcCentreTool::begin()
{
    ArcEndX = ArcEndY = ArcStartX = ArcStartY = QStringLiteral("0");
}

QString ArcCentreTool::transform(QStringView line)
{
    // The end point of a block is its own X and Y when it has them.
    const QString x = FUNC_Ler_Palavra(line, QLatin1Char('X'));
    if (!x.isEmpty()) {
        ArcStartX = ArcEndX;
        ArcEndX = x;
    }
    const QString y = FUNC_Ler_Palavra(line, QLatin1Char('Y'));
    if (!y.isEmpty()) {
        ArcStartY = ArcEndY;
        ArcEndY = y;
    }
    if (m_mode == Mode::None)
        return line.toString();

    const bool fromEnd = m_mode == Mode::AbsoluteEnd || m_mode == Mode::IncrementalEnd;
    const bool subtract = m_mode == Mode::IncrementalEnd || m_mode == Mode::IncrementalStart;
    const QString &referenceX = fromEnd ? ArcEndX : ArcStartX;
    const QString &referenceY = fromEnd ? ArcEndY : ArcStartY;
    const auto operation = [&](const QString &referenceText) -> WordOperation {
        return [this, &referenceText, subtract](const Extended &v) {
            const Extended reference = FUNC_Ler_Numero(referenceText, m_syntax);
            return subtract ? v - reference : v + reference;
        };
    };
    const QString withI = FUNC_Reescrever_Palavra(line, QLatin1Char('I'), operation(referenceX), m_plus, m_syntax);
    return FUNC_Reescrever_Palavra(withI, QLatin1Char('J'), operation(referenceY), m_plus, m_syntax);
}
