#include "CncEditor.h"
#include "platform/Utf8Text.h"

#include "HighlighterZVRD.h"
#include "DocumentSearch.h"
#include "platform/Error.h"

#include <QAccessible>
#include <QDropEvent>
#include <QMimeData>
#include <QAccessibleWidget>
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

// While no assistive technology runs, the control announces only that a change
// is coming: its notifications of the change itself make it count the
// characters from the document start to the change, which at 1,000,000 lines
// costs a tenth of a second per keystroke.
constexpr long QuietMask = SB::SC_MOD_BEFOREINSERT | SB::SC_MOD_BEFOREDELETE;

// As the activation observer last heard it (QAccessible::isActive() asks the
// platform, whose own state an activation need not change).
bool assistiveTechnologyRunning = false;

QList<CncEditor *> &liveEditors()
{
    static QList<CncEditor *> editors;
    return editors;
}

// Asked before the control's own factory (the last installed is asked first):
// the control's interface reports the caret as a character offset from the
// document start on every update, so it is made only for a running assistive
// technology.
QAccessibleInterface *quietEditorInterface(const QString &, QObject *object)
{
    if (assistiveTechnologyRunning)
        return nullptr;
    if (auto *editor = qobject_cast<CncEditor *>(object))
        return new QAccessibleWidget(editor, QAccessible::EditableText);
    return nullptr;
}

// The local files a drag carries; empty for text and remote URLs.
QStringList droppedFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

} // namespace

class CncEditor::AccessibilitySwitch : public QAccessible::ActivationObserver
{
public:
    void accessibilityActiveChanged(bool active) override
    {
        assistiveTechnologyRunning = active;
        for (CncEditor *editor : liveEditors())
            editor->followAccessibility(active);
    }

    // After the control made its first editor, which installs its factory.
    static void install()
    {
        static bool installed = false;
        if (installed)
            return;
        installed = true;
        assistiveTechnologyRunning = QAccessible::isActive();
        QAccessible::installFactory(quietEditorInterface);
        QAccessible::installActivationObserver(new AccessibilitySwitch); // lives as long as the process
    }
};

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
            [this](int, int type, const char *, int, int linesAdded, int, int, int, int, int) {
                if (type & (SB::SC_MOD_INSERTTEXT | SB::SC_MOD_DELETETEXT)) {
                    // Announced by the control itself (textChanged, linesChanged).
                    if (linesAdded != 0)
                        lineCountChanged();
                    m_announcedLines = count();
                } else if ((type & QuietMask) && !(m_liveMask & SB::SC_MOD_INSERTTEXT)) {
                    announceChangeLater();
                }
            });
    SendScintilla(SB::SCI_SETEOLMODE, eolModeFor(m_form.editorLineEnd()));
    updateGutter();
    // The save point notifications are no change notifications: they come with
    // the quiet mask too.
    connect(this, &QsciScintilla::modificationChanged, this, [this](bool) { emit modifiedChanged(isModified()); });

    AccessibilitySwitch::install();
    m_notifyingMask = SendScintilla(SB::SCI_GETMODEVENTMASK);
    m_liveMask = assistiveTechnologyRunning ? m_notifyingMask : QuietMask;
    SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)m_liveMask);
    liveEditors().append(this);
}

CncEditor::~CncEditor() { liveEditors().removeOne(this); }

void CncEditor::followAccessibility(bool active)
{
    m_liveMask = active ? m_notifyingMask : QuietMask;
    if (m_bulkDepth > 0)
        m_savedEventMask = m_liveMask;
    else
        SendScintilla(SB::SCI_SETMODEVENTMASK, (unsigned long)m_liveMask);
    // The interface made before is dropped; the next one asked for comes from
    // the factory that fits.
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(this))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

// The change itself is known once the control has made it: textChanged and
// linesChanged then follow from the event loop, once for all the changes of
// one event (a keystroke, an undo).
void CncEditor::announceChangeLater()
{
    if (m_changeAnnounced)
        return;
    m_changeAnnounced = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_changeAnnounced = false;
            announceChange();
        },
        Qt::QueuedConnection);
}

void CncEditor::announceChange()
{
    const int lines = count();
    if (lines != m_announcedLines) {
        m_announcedLines = lines;
        lineCountChanged();
        emit QsciScintilla::linesChanged();
    }
    emit textChanged();
}

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
    m_forcedModified = false;
    SendScintilla(SB::SCI_SETSAVEPOINT);
    SendScintilla(SB::SCI_GOTOPOS, 0UL);
    lineCountChanged();
    announceChange();
    emit modifiedChanged(false);
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
    m_forcedModified = false;
    SendScintilla(SB::SCI_SETSAVEPOINT);
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
        announceChange();
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
    const bool was = isModified();
    if (modified) {
        m_forcedModified = true;
    } else {
        m_forcedModified = false;
        SendScintilla(SB::SCI_SETSAVEPOINT);
    }
    if (isModified() != was)
        emit modifiedChanged(isModified());
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
    lineCountChanged();
    announceChange();
}

// Lines passed over on the way to the view are coloured once they are shown.
void CncEditor::paintEvent(QPaintEvent *event)
{
    if (m_highlighter)
        m_highlighter->stylePassedLinesInView();
    QsciScintilla::paintEvent(event);
}

// ---- dropped files ----

void CncEditor::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QsciScintilla::dragEnterEvent(event);
}

void CncEditor::dragMoveEvent(QDragMoveEvent *event)
{
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QsciScintilla::dragMoveEvent(event);
}

void CncEditor::dropEvent(QDropEvent *event)
{
    const QStringList paths = droppedFiles(event->mimeData());
    if (paths.isEmpty()) {
        QsciScintilla::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}

// ---- gutter ----

QString CncEditor::gutterText(int line) const
{
    return QString::number(line + 1).rightJustified(std::max(m_digits, 4), QLatin1Char('0'));
}

void CncEditor::lineCountChanged()
{
    m_gutterStale = true;
    updateGutter();
}

void CncEditor::updateGutter()
{
    const long lines = count();
    // A line added or removed renumbers the lines in view (their margin texts
    // moved with them).
    if (lines != m_gutterLines) {
        m_gutterLines = lines;
        m_gutterStale = true;
    }
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
