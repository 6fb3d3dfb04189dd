#pragma once

#include "LineTool.h"
#include "platform/Error.h"

#include <QString>
#include <QStringView>

// The block numbers are padded to at most this many digits, whatever is asked:
// a 32-bit block number has 10 digits, and a run must not be able to build
// lines of millions of zeros.
constexpr int MaxBlockDigits = 32;

// A block number beyond 2147483647 (to be written or read).
class BlockNumberError : public Error
{
public:
    using Error::Error;
};

// The new line for a line as stored. The "N" that opens the line (after blanks
// at most) and its digits are taken out; the line gets the next number
// (`renumber`: blockCounter + increment) or keeps its own, padded with zeros to
// `digits` (0: no padding), glued in front. Lines without an N word that start
// with one of "(ABCFGIJKMRSTXYZ" get a number too. Lines with "#" or "%" get
// none; a line whose N word would then be lost is returned unchanged.
// `blockCounter` carries the last number written; a number beyond 2147483647
// throws BlockNumberError.
QString FUNC_Numerar_Bloco(QStringView line, int increment, int digits, bool renumber, qint64 &blockCounter);

// The block renumbering tool (window TForm_EDT2).
class RenumberTool : public LineTool
{
public:
    struct Options
    {
        bool digitsOn = false; // CheckBox1
        int digits = 1;        // SpinEdit3
        bool renumber = false; // CheckBox3
        int start = 0;         // SpinEdit4
        int increment = 1;     // SpinEdit5
    };
    explicit RenumberTool(const Options &options) : m_options(options) {}

    QString statusText() const override;
    QString historyTitle() const override;
    QStringList historyDetails() const override;
    bool readsTrimmed() const override { return false; }
    bool skips(QStringView line) const override;
    bool hasWork() const override { return m_options.digitsOn || m_options.renumber; }
    void begin() override;
    QString transform(QStringView line) override;

    qint64 BlockCounter = 0;

private:
    Options m_options;
};
