#pragma once

#include <QByteArray>
#include <QList>

// Cuts the byte stream a control punches out into programs.
//
// A program that opens with "%" (tape form) ends at its closing "%": blocks such as M99 in
// between belong to it, so a main program with its subprograms on one tape stays one file. A
// program without an opening "%" ends with the block that holds an end-of-program mark (M30,
// M02/M2, M99), together with a closing "%" in the blocks that follow before anything else.
// Silence ends whatever is in progress. Marks inside comments, "( ... )" or after ";", do not
// count.
//
// Bytes before the first significant byte (NUL padding, blanks, line ends, DEL) are leader;
// a stretch that holds nothing else is no program at all.
class ProgramSplitter
{
public:
    struct Program
    {
        QByteArray bytes;     // everything received for this program, leader and trailer included
        bool endMark = false; // ended by a closing "%" or an end-of-program block, not by silence
        // Offsets in bytes: the opening "%" (or the first significant byte when there is none),
        // the closing "%" (-1 when there is none), and the end of the last significant block
        // including its line end.
        qint64 start = 0;
        qint64 closingPercent = -1;
        qint64 contentEnd = 0;
    };

    // Takes received bytes; returns the programs they completed, in order.
    QList<Program> feed(const QByteArray &bytes);
    // The line fell silent: ends the program in progress, if any.
    QList<Program> silence();

    // True while a program has begun and not ended.
    bool inProgram() const { return m_state != State::Idle && m_significant; }
    // Bytes held for the program in progress (leader included).
    qint64 pending() const { return m_bytes.size(); }
    // Drops the program in progress.
    void clear();

    static bool isLeaderByte(char c);

private:
    enum class State { Idle, InProgram, AfterEndBlock };

    void takeByte(char c, QList<Program> &done);
    void finish(bool endMark, QList<Program> &done);
    void endOfBlock();

    State m_state = State::Idle;
    QByteArray m_bytes;
    bool m_significant = false;
    bool m_tape = false;       // opened with "%"
    qint64 m_start = 0;
    qint64 m_closing = -1;
    qint64 m_contentEnd = 0;
    // Block scanning.
    bool m_inParenComment = false;
    bool m_inLineComment = false;
    bool m_blockHasEnd = false;
    bool m_blockHasContent = false;
    bool m_lfInRun = false;    // the line end after the content has had its LF
    char m_wordLetter = 0;     // letter of the word being read, 0 when none
    QByteArray m_wordDigits;
};
