#pragma once

#include "LineTool.h"

#include <QString>

// The start/end character tool (window TForm_EDT7): puts a text in front of
// or after every line (trimmed). Lines of a range past the end of the file are
// not created.
class StartEndTool : public LineTool
{
public:
    enum class Position { Start, End };
    StartEndTool(Position position, const QString &text) : m_position(position), m_text(text) {}

    QString statusText() const override;
    QString historyTitle() const override;
    QStringList historyDetails() const override;
    QString transform(QStringView line) override;

private:
    Position m_position;
    QString m_text;
};
