#include "CncEditor.h"
#include "platform/Utf8Text.h"

#include "HighlighterZVRD.h"
#include "DocumentSearch.h"
#include "platform/Error.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QScrollBar>

#include <algorithm>

using SB = QsciScintillaBase;

namespace {

int eolModeFor(const QByteArray &lineEnd)
{
    if (lineEnd == "\n")
        return SB::SC_EOL_LF;
    if (lineEnd == "\r")
        return SB::SC_EOL_CR;
    return SB::SC_EOL_CRLF;
}

} // namespace

CncEditor::CncEditor(QWidget *parent) : QsciScintilla(parent), m_form(newProgramForm())
{
    setUtf8(true);
    SendScintilla(SB::SCI_SETHSCROLLBAR, 0UL);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWrapMode(QsciScintilla::WrapNone);

    // The gutter: zero-padded line numbers on a light blue band.
    setMarginType(0, QsciScintilla::TextMarginRightJustified);
    setMarginWidth(1, 0);
    setMarginWidth(2, 0);

    m_font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setHighlighterColours(GCodeColours());

    connect(this, &SB::SCN_UPDATEUI, this, [this](int) { updateGutter(); });
    connect(this, &SB::SCN_MODIFIED, this,
            [this](int, int, const char *, int, int linesAdded, int, int, int, int, int) {
                if (linesAdded != 0)
                    linesChanged();
            });
    SendScintilla(SB::SCI_SETEOLMODE, eolModeFor(m_form.editorLineEnd()));
    updateGutter();
}

CncEditor::~CncEditor() = default;

void CncEditor::setEditorFont(const QString &name, int size)
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QFont font = fixed;
    if (!name.isEmpty()) {
        font = QFont(name);
        // An uninstalled name still gives a fixed-pitch face.
        font.setStyleHint(QFont::TypeWriter);
    }
    if (size > 0)
        font.setPointSize(size);
    else
        font.setPointSizeF(fixed.pointSizeF() > 0 ? fixed.pointSizeF() : 10);
    m_font = font;
    if (m_highlighter)
        m_highlighter->setEditorFont(font);
    applyGutterStyle();
}

void CncEditor::applyGutterStyle()
{
    // Every style sets the height of all lines, the gutter's too: it is never
    // larger than the text.
    QFont gutter(QStringLiteral("Courier New"), 12);
    gutter.setStyleHint(QFont::TypeWriter);
    if (m_font.pointSize() > 0 && m_font.pointSize() < 12)
        gutter.setPointSize(m_font.pointSize());
    m_gutterFont = gutter;
    setMarginsFont(m_gutterFont);
    setMarginsBackgroundColor(colourFromValue(GutterColour));
    setMarginsForegroundColor(palette().color(QPalette::WindowText));
    SendScintilla(SB::SCI_SETMARGINLEFT, 0UL, 3L);
    m_digits = 0;
    m_gutterStale = true;
    updateGutter();
}

void CncEditor::setHighlighterColours(const GCodeColours &colours)
{
    HighlighterZVRD *old = m_highlighter;
    m_highlighter = new HighlighterZVRD(colours, this);
    m_highlighter->setEditorColours(palette().color(QPalette::Text), palette().color(QPalette::Base));
    m_highlighter->setEditorFont(m_font);
    setLexer(m_highlighter);
    delete old;
    // Setting a colouring resets the margin style.
    applyGutterStyle();
}

// ---- file ----

void CncEditor::loadFile(const QString &path) { loadDocument(readProgramDocument(path)); }

void CncEditor::loadDocument(ProgramDocument document)
{
    const bool keepUndo = isModified();
    m_form = document.form;
    const long mask = SendScintilla(SB::SCI_GETMODEVENTMASK);
    SendScintilla(SB::SCI_SETMODEVENTMASK, 0UL);
    if (keepUndo) {
        SendScintilla(SB::SCI_BEGINUNDOACTION);
    } else {
        SendScintilla(SB::SCI_SETUNDOCOLLECTION, 0UL);
    }
    SendScintilla(SB::SCI_CLEARALL);
    SendScintilla(SB::SCI_ALLOCATE, (unsigned long)document.utf8.size() + 1024);
    SendScintilla(SB::SCI_APPENDTEXT, (uintptr_t)document.utf8.size(), document.utf8.constData());
    document.utf8 = QByteArray();
    if (keepUndo) {
        SendScintilla(SB::SCI_ENDUNDOACTION);
    } else {
        SendScintilla(SB::SCI_SETUNDOCOLLECTION, 1UL);
        SendScintilla(SB::SCI_EMPTYUNDOBUFFER);
    }
    SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)mask);
    SendScintilla(SB::SCI_SETEOLMODE, eolModeFor(m_form.editorLineEnd()));
    SendScintilla(SB::SCI_SETSAVEPOINT);
    m_forcedModified = false;
    SendScintilla(SB::SCI_GOTOPOS, 0UL);
    linesChanged();
    emit textChanged();
}

QByteArray CncEditor::fileBytes() const
{
    const auto *text = reinterpret_cast<const char *>(SendScintilla(SB::SCI_GETCHARACTERPOINTER));
    const long length = SendScintilla(SB::SCI_GETLENGTH);
    return encodeProgramDocument(QByteArrayView(text, length), m_form);
}

void CncEditor::saveFile(const QString &path)
{
    writeFileBytes(path, fileBytes());
    setModified(false);
}

void CncEditor::ClearAll()
{
    SendScintilla(SB::SCI_SETSAVEPOINT);
    m_forcedModified = false;
    ProgramDocument empty;
    empty.form = newProgramForm();
    loadDocument(std::move(empty));
}

QString CncEditor::allText() const
{
    const auto *text = reinterpret_cast<const char *>(SendScintilla(SB::SCI_GETCHARACTERPOINTER));
    return utf8Text(QByteArrayView(text, SendScintilla(SB::SCI_GETLENGTH)));
}

// ---- lines ----

int CncEditor::count() const { return int(SendScintilla(SB::SCI_GETLINECOUNT)); }

QString CncEditor::line(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    const long start = SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)index);
    const long end = SendScintilla(SB::SCI_GETLINEENDPOSITION, (unsigned long)index);
    const auto *text = reinterpret_cast<const char *>(
        SendScintilla(SB::SCI_GETRANGEPOINTER, (unsigned long)start, end - start));
    return utf8Text(QByteArrayView(text, end - start));
}

void CncEditor::replaceLine(int index, const QString &text)
{
    if (index < 0)
        return;
    // Change notifications cost time in proportion to the document; a single
    // replacement goes without them too and is announced once.
    const bool single = m_bulkDepth == 0;
    const long mask = single ? SendScintilla(SB::SCI_GETMODEVENTMASK) : 0;
    if (single)
        SendScintilla(SB::SCI_SETMODEVENTMASK, 0UL);
    const QByteArray utf8 = text.toUtf8();
    const int lines = count();
    if (index >= lines) {
        QByteArray added = m_form.editorLineEnd().repeated(index - lines + 1);
        added += utf8;
        // An empty last line after a lone CR: an LF after it would make one CR LF
        // of the two breaks and the empty line would be gone.
        const long length = SendScintilla(SB::SCI_GETLENGTH);
        if (added.startsWith('\n') && length > 0
            && SendScintilla(SB::SCI_GETCHARAT, (unsigned long)(length - 1)) == '\r')
            added[0] = '\r';
        SendScintilla(SB::SCI_APPENDTEXT, (uintptr_t)added.size(), added.constData());
    } else {
        const long start = SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)index);
        const long end = SendScintilla(SB::SCI_GETLINEENDPOSITION, (unsigned long)index);
        SendScintilla(SB::SCI_SETTARGETSTART, (unsigned long)start);
        SendScintilla(SB::SCI_SETTARGETEND, (unsigned long)end);
        SendScintilla(SB::SCI_REPLACETARGET, (uintptr_t)utf8.size(), utf8.constData());
    }
    if (single) {
        SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)mask);
        if (index >= lines)
            linesChanged();
        emit textChanged();
    }
}

void CncEditor::setCaretLine(int line)
{
    const int clamped = std::clamp(line, 1, count());
    SendScintilla(SB::SCI_GOTOLINE, (unsigned long)(clamped - 1));
}

void CncEditor::focusEditor() { setFocus(); }

// Asks for a repaint instead of painting at once: a tool that repaints after every
// line of a long program then costs one paint per pass of the event loop.
void CncEditor::repaintEditor() { viewport()->update(); }

bool CncEditor::isModified() const { return m_forcedModified || SendScintilla(SB::SCI_GETMODIFY) != 0; }

void CncEditor::setModified(bool modified)
{
    if (modified) {
        m_forcedModified = true;
        return;
    }
    m_forcedModified = false;
    SendScintilla(SB::SCI_SETSAVEPOINT);
}

void CncEditor::beginBulkChange()
{
    if (m_bulkDepth++ > 0)
        return;
    // Without change notifications a line replacement costs microseconds; with
    // them the whole document is looked at again for every change.
    m_savedEventMask = SendScintilla(SB::SCI_GETMODEVENTMASK);
    SendScintilla(SB::SCI_SETMODEVENTMASK, 0UL);
    SendScintilla(SB::SCI_BEGINUNDOACTION);
}

void CncEditor::endBulkChange()
{
    if (m_bulkDepth == 0 || --m_bulkDepth > 0)
        return;
    SendScintilla(SB::SCI_ENDUNDOACTION);
    SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)m_savedEventMask);
    linesChanged();
    emit textChanged();
}

// ---- gutter ----

QString CncEditor::gutterText(int line) const
{
    return QString::number(line + 1).rightJustified(std::max(m_digits, 4), QLatin1Char('0'));
}

void CncEditor::linesChanged()
{
    m_gutterStale = true;
    updateGutter();
}

void CncEditor::updateGutter()
{
    const long lines = count();
    const int digits = std::max(4, int(QString::number(lines).size()));
    if (digits != m_digits) {
        m_digits = digits;
        const int width = QFontMetrics(m_gutterFont).horizontalAdvance(QString(digits, QLatin1Char('0'))) + 10;
        setMarginWidth(0, width);
        m_gutterStale = true;
    }
    const long firstVisible = SendScintilla(SB::SCI_GETFIRSTVISIBLELINE);
    const long first = SendScintilla(SB::SCI_DOCLINEFROMVISIBLE, (unsigned long)firstVisible);
    const long end = std::min(lines, first + SendScintilla(SB::SCI_LINESONSCREEN) + 2);
    if (!m_gutterStale && first == m_gutterFirst && end == m_gutterEnd)
        return;
    // Only the lines in view carry a number; the others are cleared as they leave.
    // Margin texts are changes of the document too: announced, they would cost as
    // much as text changes.
    const long mask = SendScintilla(SB::SCI_GETMODEVENTMASK);
    SendScintilla(SB::SCI_SETMODEVENTMASK, 0UL);
    for (long l = m_gutterFirst; l < m_gutterEnd && l < lines; ++l) {
        if (l < first || l >= end)
            clearMarginText(int(l));
    }
    for (long l = first; l < end; ++l) {
        if (m_gutterStale || l < m_gutterFirst || l >= m_gutterEnd)
            setMarginText(int(l), gutterText(int(l)), SB::STYLE_LINENUMBER);
    }
    SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)mask);
    m_gutterFirst = first;
    m_gutterEnd = end;
    m_gutterStale = false;
}

// ---- search ----

long CncEditor::positionOfLineColumn(int line, int column) const
{
    const long start = SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)(line - 1));
    return SendScintilla(SB::SCI_POSITIONRELATIVE, (unsigned long)start, long(column - 1));
}

QRect CncEditor::occurrenceRect(int line, int column) const
{
    const long pos = positionOfLineColumn(line, column);
    const int x = int(SendScintilla(SB::SCI_POINTXFROMPOSITION, 0UL, pos));
    const int y = int(SendScintilla(SB::SCI_POINTYFROMPOSITION, 0UL, pos));
    const QPoint topLeft = viewport()->mapToGlobal(QPoint(x, y));
    return QRect(topLeft, QSize(1, lineHeight()));
}

int CncEditor::lineHeight() const { return int(SendScintilla(SB::SCI_TEXTHEIGHT, 0UL)); }

QByteArrayView CncEditor::documentBytes() const
{
    const auto *text = reinterpret_cast<const char *>(SendScintilla(SB::SCI_GETCHARACTERPOINTER));
    return QByteArrayView(text, SendScintilla(SB::SCI_GETLENGTH));
}

void CncEditor::replaceBytes(long start, long end, const QByteArray &bytes)
{
    SendScintilla(SB::SCI_SETTARGETSTART, (unsigned long)start);
    SendScintilla(SB::SCI_SETTARGETEND, (unsigned long)end);
    SendScintilla(SB::SCI_REPLACETARGET, (uintptr_t)bytes.size(), bytes.constData());
}

int CncEditor::searchReplace(const QString &search, const QString &replace, const EditorSearchOptions &o)
{
    const DocumentSearch finder(search, o.matchCase, o.wholeWord, o.regularExpression);
    if (!finder.isValid()) {
        const QString problem = invalidPatternText(search, finder);
        if (!problem.isEmpty())
            throw Error(problem);
        return 0;
    }
    const long selStart = SendScintilla(SB::SCI_GETSELECTIONSTART);
    const long selEnd = SendScintilla(SB::SCI_GETSELECTIONEND);
    long scopeStart = 0;
    long scopeEnd = SendScintilla(SB::SCI_GETLENGTH);
    if (o.selectedOnly) {
        if (selStart == selEnd)
            return 0;
        scopeStart = selStart;
        scopeEnd = selEnd;
    }
    long pos;
    // An empty match where the last find left the caret is the one found before.
    bool emptyAtPos = o.entireScope;
    if (o.entireScope)
        pos = o.backwards ? scopeEnd : scopeStart;
    else if (o.selectedOnly)
        pos = std::clamp(long(SendScintilla(SB::SCI_GETCURRENTPOS)), scopeStart, scopeEnd);
    else
        pos = o.backwards ? selStart : selEnd; // past the occurrence found last

    auto findNext = [&]() {
        return o.backwards ? finder.findBackward(documentBytes(), scopeStart, pos, emptyAtPos)
                           : finder.findForward(documentBytes(), pos, scopeEnd, emptyAtPos);
    };
    auto select = [this, &o](long start, long end) {
        SendScintilla(SB::SCI_SETSEL, o.backwards ? end : start, o.backwards ? start : end);
        SendScintilla(SB::SCI_SCROLLCARET);
    };

    if (!o.replace) {
        const DocumentSearch::Match m = findNext();
        if (!m.found())
            return 0;
        select(long(m.start), long(m.end));
        return 1;
    }

    // One undo step for the whole run. Occurrences answered one by one are
    // replaced as they are answered; all the others at once, as one change of the
    // text, so that undoing them costs one change too.
    EditorBulkChange bulk(*this);
    int found = 0;
    long selectFrom = -1, selectTo = -1;
    bool ask = o.prompt && bool(onReplaceText);
    bool rest = true; // the occurrences from `pos` on are still to be replaced
    while (ask || !o.replaceAll) {
        const DocumentSearch::Match m = findNext();
        if (!m.found()) {
            rest = false;
            break;
        }
        ReplaceAction action = ReplaceAction::Replace;
        if (ask) {
            // The user sees the occurrence while answering.
            select(long(m.start), long(m.end));
            const long lineIndex = SendScintilla(SB::SCI_LINEFROMPOSITION, (unsigned long)m.start);
            const long lineStart = SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)lineIndex);
            const long column = SendScintilla(SB::SCI_COUNTCHARACTERS, (unsigned long)lineStart, long(m.start));
            action = onReplaceText(search, replace, int(lineIndex + 1), int(column + 1));
        }
        if (action == ReplaceAction::Cancel) {
            ++found; // the occurrence was found, only not acted on
            rest = false;
            break;
        }
        if (action == ReplaceAction::ReplaceAll) {
            // This occurrence and every further one in the block below.
            ask = false;
            pos = o.backwards ? long(m.end) : long(m.start);
            emptyAtPos = true;
            break;
        }
        if (action == ReplaceAction::Skip) {
            pos = o.backwards ? long(m.start) : long(m.end);
        } else {
            const QByteArray bytes = finder.replacementFor(m, replace);
            replaceBytes(long(m.start), long(m.end), bytes);
            ++found;
            const long written = long(bytes.size());
            scopeEnd += written - long(m.end - m.start);
            pos = o.backwards ? long(m.start) : long(m.start) + written;
            selectFrom = long(m.start);
            selectTo = long(m.start) + written;
            if (!o.replaceAll) {
                rest = false;
                break;
            }
        }
        emptyAtPos = false;
    }
    if (rest && o.replaceAll) {
        const long from = o.backwards ? scopeStart : pos;
        const long to = o.backwards ? pos : scopeEnd;
        const DocumentSearch::Block block = finder.replaceAll(documentBytes(), from, to, o.backwards || emptyAtPos,
                                                              !o.backwards || emptyAtPos, replace);
        if (block.count > 0) {
            replaceBytes(long(block.start), long(block.end), block.text);
            found += block.count;
            // The occurrence replaced last in the direction of the run.
            selectFrom = long(block.start) + (o.backwards ? 0 : long(block.lastOffset));
            selectTo = selectFrom + long(o.backwards ? block.firstLength : block.lastLength);
        }
    }
    if (selectFrom >= 0) {
        SendScintilla(SB::SCI_SETSEL, selectFrom, selectTo);
        SendScintilla(SB::SCI_SCROLLCARET);
    }
    return found;
}
