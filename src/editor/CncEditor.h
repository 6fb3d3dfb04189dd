#pragma once

#include "EditorLines.h"
#include "ProgramFile.h"
#include "app/AppState.h"

#include <Qsci/qsciscintilla.h>

#include <functional>

class HighlighterZVRD;

// The options of one search-and-replace run.
struct EditorSearchOptions
{
    bool replace = false;
    bool replaceAll = false;
    bool prompt = false;
    bool backwards = false;
    bool matchCase = false;
    bool entireScope = false; // from the start (or end) of the scope instead of the caret
    bool selectedOnly = false;
    bool wholeWord = false;
    bool regularExpression = false;
};

enum class ReplaceAction { Replace, Skip, ReplaceAll, Cancel };

// The editing control of one tab: a CNC program in a QScintilla document, with a
// gutter of zero-padded line numbers, the G-code colouring, the file form of the
// file it was read from, and the line operations of the tools.
class CncEditor : public QsciScintilla, public EditorLines
{
    Q_OBJECT

public:
    explicit CncEditor(QWidget *parent = nullptr);
    ~CncEditor() override;

    // Reads a file (Error on failure, the text then stays as it was). When the
    // editor holds unsaved changes the reload is one undo step, so they can be
    // brought back.
    void loadFile(const QString &path);
    void loadDocument(ProgramDocument document);
    // Writes the text in the file's own form and clears Modified (Error on failure,
    // with the text and Modified unchanged).
    void saveFile(const QString &path);
    // The bytes saveFile would write.
    QByteArray fileBytes() const;
    // Empties the text, forgets undo and redo, clears Modified; the form becomes
    // that of a new file.
    void ClearAll();
    const ProgramForm &programForm() const { return m_form; }

    // EditorFontName and EditorFontSize: an empty name or a size of 0 give the
    // system's fixed-pitch font (or its size).
    void setEditorFont(const QString &name, int size);
    QFont editorFont() const { return m_font; }
    // A new colouring with these colours replaces the current one.
    void setHighlighterColours(const GCodeColours &colours);
    HighlighterZVRD *highlighter() const { return m_highlighter; }

    // EditorLines
    int count() const override;
    QString line(int index) const override;
    void replaceLine(int index, const QString &text) override;
    void setCaretLine(int line) override;
    void focusEditor() override;
    void repaintEditor() override;
    bool isModified() const override;
    void setModified(bool modified) override;
    void beginBulkChange() override;
    void endBulkChange() override;

    // The whole text, lines joined by their own breaks.
    QString allText() const;

    // The search and replace operation: returns the number of occurrences found
    // (for a replace run, those acted on). A found occurrence is selected. An
    // invalid regular expression throws Error with the reason.
    int searchReplace(const QString &search, const QString &replace, const EditorSearchOptions &options);
    // Asked for every occurrence while a replace run prompts (line and column
    // 1-based); without it every occurrence is replaced.
    std::function<ReplaceAction(const QString &search, const QString &replace, int line, int column)> onReplaceText;
    // Screen rectangle of the text at a 1-based line and column (one line high).
    QRect occurrenceRect(int line, int column) const;
    int lineHeight() const;

    // Text of the gutter for a 0-based line: the number, zero-padded to the
    // gutter's digits (4 at least).
    QString gutterText(int line) const;
    int gutterDigits() const { return m_digits; }

    static constexpr int GutterColour = 16103584;

signals:
    // isModified() changed or may have changed: an edit left the saved text, an
    // undo came back to it, a save, a tool's setModified.
    void modifiedChanged(bool modified);
    // Local files dropped on the editor (text drops stay the control's own).
    void filesDropped(const QStringList &paths);

protected:
    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    class AccessibilitySwitch;

    void applyGutterStyle();
    void updateGutter();
    void lineCountChanged();
    // Follows an assistive technology starting or ending: the control's change
    // notifications and its own accessible interface while one runs, neither
    // (they cost a walk from the document start per change) while none does.
    void followAccessibility(bool active);
    void announceChangeLater();
    // textChanged, and linesChanged when the number of lines changed.
    void announceChange();
    long positionOfLineColumn(int line, int column) const;
    // The whole text as one run of UTF-8 bytes, valid until the next change.
    QByteArrayView documentBytes() const;
    void replaceBytes(long start, long end, const QByteArray &bytes);

    ProgramForm m_form;
    HighlighterZVRD *m_highlighter = nullptr;
    QFont m_font;
    QFont m_gutterFont;
    bool m_forcedModified = false;
    int m_bulkDepth = 0;
    long m_savedEventMask = 0;
    long m_notifyingMask = 0;   // every change notification: what an assistive technology needs
    long m_liveMask = 0;        // the mask outside bulk changes
    bool m_changeAnnounced = false;
    int m_announcedLines = 1;
    int m_digits = 0;
    long m_gutterFirst = 0;
    long m_gutterEnd = 0;
    long m_gutterLines = 0;
    bool m_gutterStale = true;
};
