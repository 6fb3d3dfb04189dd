#pragma once

#include <QByteArray>
#include <QString>

// A request program: an operator at the control punches out a short program whose first block
// is O9999 and which holds a comment "(REQ <program>)", naming the wanted program by its number
// ("(REQ O1234)") or by its file name ("(REQ PART-17.NC)"). Letter case does not matter.
namespace RemoteRequest {

inline const QString RequestNumber = QStringLiteral("O9999");

struct Request
{
    bool isRequest = false; // O9999 with a REQ comment
    QString wanted;         // as written in the comment, trimmed
    QString refusal;        // why the wanted name cannot be looked up (English), empty when it can
};

// Reads a received program (stored bytes). An O9999 without a REQ comment is no request: it is
// stored like any other program.
Request parse(const QByteArray &program);

// The file in `folder` the request names: for a program number ("O1234", ":1234", "1234"), the
// file "O1234<extension>", else a file whose name without its extension is the number; for a
// file name, the file of that name. Names are compared without regard to letter case. Empty
// when there is none.
QString findProgram(const QString &folder, const QString &wanted, const QString &extension);

// The short program sent back when nothing is found (or the name is refused): O9999 with a
// comment saying NOT FOUND and the name asked for, in tape form.
QByteArray notFoundAnswer(const QString &wanted);

} // namespace RemoteRequest
