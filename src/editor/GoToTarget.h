#pragma once

#include <QByteArrayView>
#include <QString>

// What the operator typed into the Go-to window: a line number ("1234") or a
// block number ("N1234", letter case and blanks do not matter).
struct GoToTarget
{
    enum Kind { Invalid, Line, Block };
    Kind kind = Invalid;
    // The line number (from 1), or the block number's digits without leading zeros
    // ("0" for N0), so that numbers of any length compare as written.
    QString number;
};

GoToTarget parseGoToTarget(const QString &text);

// The 0-based line of the first block whose N word carries `digits` (as
// parseGoToTarget gives them), or -1 when no block does. The N word counts only
// at the start of a block, after blanks and an optional block skip ("/" or "/1").
// Lines end at CR, LF or CR LF, as in the editing control's buffer.
long findBlockNumberLine(QByteArrayView text, const QString &digits);
