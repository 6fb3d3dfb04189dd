#include "TestSupport.h"

#include "editor/CncEditor.h"
#include "editor/GCodeScanner.h"
#include "editor/HighlighterZVRD.h"
#include "lang/Texts.h"
#include "platform/Error.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using SB = QsciScintillaBase;

namespace {

void loadBytes(CncEditor &editor, const QByteArray &bytes) { editor.loadDocument(decodeProgramDocument(bytes)); }

QByteArray utf16le(const QString &text)
{
    QByteArray out("\xFF\xFE", 2);
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

int styleAt(const CncEditor &editor, long pos) { return int(editor.SendScintilla(SB::SCI_GETSTYLEAT, (unsigned long)pos)); }

// The first line in view whose gutter does not show its number, or -1.
long wrongGutterLine(const CncEditor &editor)
{
    const long first = editor.SendScintilla(SB::SCI_GETFIRSTVISIBLELINE);
    const long end = std::min<long>(editor.count(), first + editor.SendScintilla(SB::SCI_LINESONSCREEN));
    for (long l = first; l < end; ++l) {
        char text[32] = {};
        if (editor.SendScintilla(SB::SCI_MARGINGETTEXT, (unsigned long)l, (char *)nullptr) >= long(sizeof text))
            return l;
        editor.SendScintilla(SB::SCI_MARGINGETTEXT, (unsigned long)l, text);
        if (QString::fromLatin1(text) != editor.gutterText(int(l)))
            return l;
    }
    return -1;
}

bool hasTextInterface(CncEditor &editor)
{
    QAccessibleInterface *made = QAccessible::queryAccessibleInterface(&editor);
    return made && made->textInterface();
}

// Leaves the process without an assistive technology, however the test ends.
struct AssistiveTechnology
{
    AssistiveTechnology() { QAccessible::setActive(true); }
    ~AssistiveTechnology() { QAccessible::setActive(false); }
};

} // namespace

class tst_CncEditor : public QObject
{
    Q_OBJECT

private slots:
    void corpusThroughTheEditor_data();
    void corpusThroughTheEditor();
    void lineOperations();
    void bulkChangeIsOneUndoStep();
    void lineSeparatorsSurviveEditing();
    void unrepresentableCharacterKeepsFileAndModified();
    void reloadOfChangedTextCanBeUndone();
    void gutter();
    void colouring();
    void fontFallback();
    void search_data();
    void search();
    void replaceAnswers_data();
    void replaceAnswers();
    void emptyRegexMatchesEndTheRun();
    void regexOnAVeryLongLine_data();
    void regexOnAVeryLongLine();
    void engineGivingUpIsAnError_data();
    void engineGivingUpIsAnError();
    void emptyMatchesStepOn_data();
    void emptyMatchesStepOn();
    void undoOfReplaceAllIsOneChange_data();
    void undoOfReplaceAllIsOneChange();
    void editingKeepsItsListeners_data();
    void editingKeepsItsListeners();
    void assistiveTechnologyGetsTheControlsInterface();
    void linesPassedOnTheWayAreColouredWhenShown();
};

void tst_CncEditor::corpusThroughTheEditor_data()
{
    QTest::addColumn<QString>("path");
    for (const QString &path : TestSupport::corpusFiles())
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
}

// What the editor shows is what the file holds, and an untouched file is saved
// byte for byte.
void tst_CncEditor::corpusThroughTheEditor()
{
    QFETCH(QString, path);
    const QByteArray bytes = TestSupport::readBytes(path);
    const ProgramText text = decodeProgramFile(bytes);
    CncEditor editor;
    editor.loadFile(path);
    QVERIFY(!editor.isModified());
    QCOMPARE(editor.count(), int(text.lines.size()));
    for (int i = 0; i < editor.count(); i += std::max(1, editor.count() / 500))
        QCOMPARE(editor.line(i), text.lines[i]);
    QCOMPARE(editor.line(editor.count() - 1), text.lines.last());
    QCOMPARE(editor.fileBytes(), bytes);
}

void tst_CncEditor::lineOperations()
{
    CncEditor editor;
    loadBytes(editor, "A\r\nB\nC\rD");
    QCOMPARE(editor.count(), 4);
    QCOMPARE(editor.line(2), QStringLiteral("C"));
    QCOMPARE(editor.line(4), QString());
    QCOMPARE(editor.line(-1), QString());

    editor.replaceLine(1, QStringLiteral("B2 \u00e9"));
    QVERIFY(editor.isModified());
    QCOMPARE(editor.fileBytes(), QByteArray("A\r\nB2 \xC3\xA9\nC\rD"));
    // At the end a line is appended with the file's break; past the end empty
    // lines come first.
    editor.replaceLine(4, QStringLiteral("E"));
    editor.replaceLine(6, QStringLiteral("G"));
    QCOMPARE(editor.fileBytes(), QByteArray("A\r\nB2 \xC3\xA9\nC\rD\r\nE\r\n\r\nG"));
    QCOMPARE(editor.count(), 7);

    // An empty last line after a lone CR stays a line of its own.
    CncEditor cr;
    loadBytes(cr, "A\nB\r");
    cr.replaceLine(3, QStringLiteral("C"));
    QCOMPARE(cr.fileBytes(), QByteArray("A\nB\r\rC"));
    QCOMPARE(cr.count(), 4);

    editor.setCaretLine(1000);
    QCOMPARE(editor.SendScintilla(SB::SCI_LINEFROMPOSITION, (unsigned long)editor.SendScintilla(SB::SCI_GETCURRENTPOS)), 6L);
    editor.setCaretLine(-5);
    QCOMPARE(editor.SendScintilla(SB::SCI_GETCURRENTPOS), 0L);

    editor.setModified(false);
    QVERIFY(!editor.isModified());
    editor.setModified(true);
    QVERIFY(editor.isModified());
}

void tst_CncEditor::bulkChangeIsOneUndoStep()
{
    CncEditor editor;
    loadBytes(editor, "N1\nN2\nN3");
    editor.beginBulkChange();
    editor.replaceLine(0, QStringLiteral("X1"));
    {
        EditorBulkChange inner(editor);
        editor.replaceLine(1, QStringLiteral("X2"));
    }
    editor.replaceLine(3, QStringLiteral("X4"));
    editor.endBulkChange();
    QCOMPARE(editor.allText(), QStringLiteral("X1\nX2\nN3\nX4"));
    editor.undo();
    QCOMPARE(editor.allText(), QStringLiteral("N1\nN2\nN3"));
    QVERIFY(!editor.isModified());
}

void tst_CncEditor::lineSeparatorsSurviveEditing()
{
    const QString ls(QChar(0x2028));
    CncEditor editor;
    loadBytes(editor, utf16le(QStringLiteral("G1") + ls + QStringLiteral("M30")));
    QCOMPARE(editor.count(), 2);
    QCOMPARE(editor.line(1), QStringLiteral("M30"));
    editor.setCursorPosition(0, 2);
    editor.SendScintilla(SB::SCI_NEWLINE);
    editor.replaceLine(1, QStringLiteral("G2"));
    editor.replaceLine(3, QStringLiteral("%"));
    QCOMPARE(editor.fileBytes(), utf16le(QStringLiteral("G1") + ls + QStringLiteral("G2") + ls + QStringLiteral("M30")
                                         + ls + QStringLiteral("%")));
}

// A Latin-1 file cannot take a character above U+00FF: the save fails with the
// reason, the file and the modified state stay as they were.
void tst_CncEditor::unrepresentableCharacterKeepsFileAndModified()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.nc"));
    TestSupport::writeBytes(path, "N10 (\xB0)\r\n");
    CncEditor editor;
    editor.loadFile(path);
    QCOMPARE(editor.line(0), QStringLiteral("N10 (\u00b0)"));
    editor.replaceLine(1, QStringLiteral("(\u2126)"));
    QVERIFY_THROWS_EXCEPTION(Error, editor.saveFile(path));
    QVERIFY(editor.isModified());
    QCOMPARE(TestSupport::readBytes(path), QByteArray("N10 (\xB0)\r\n"));
    editor.replaceLine(1, QStringLiteral("(\u00e9)"));
    editor.saveFile(path);
    QVERIFY(!editor.isModified());
    QCOMPARE(TestSupport::readBytes(path), QByteArray("N10 (\xB0)\r\n(\xE9)"));
}

void tst_CncEditor::reloadOfChangedTextCanBeUndone()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.nc"));
    TestSupport::writeBytes(path, "G0 X1\n");
    CncEditor editor;
    editor.loadFile(path);
    QVERIFY(!editor.isUndoAvailable());
    editor.replaceLine(0, QStringLiteral("G0 X2"));
    editor.loadFile(path);
    QCOMPARE(editor.line(0), QStringLiteral("G0 X1"));
    QVERIFY(!editor.isModified());
    editor.undo();
    QCOMPARE(editor.line(0), QStringLiteral("G0 X2"));
}

void tst_CncEditor::gutter()
{
    CncEditor editor;
    editor.resize(400, 300);
    editor.show();
    loadBytes(editor, "G0\nG1\nG2");
    QCOMPARE(editor.gutterText(0), QStringLiteral("0001"));
    QCOMPARE(editor.SendScintilla(SB::SCI_STYLEGETBACK, (unsigned long)SB::STYLE_LINENUMBER),
             long(CncEditor::GutterColour));
    char text[16] = {};
    editor.SendScintilla(SB::SCI_MARGINGETTEXT, 2UL, text);
    QCOMPARE(QByteArray(text), QByteArray("0003"));

    QByteArray many;
    for (int i = 0; i < 12345; ++i)
        many += "N" + QByteArray::number(i) + "\n";
    loadBytes(editor, many);
    QCOMPARE(editor.gutterText(0), QStringLiteral("00001"));
    QCOMPARE(editor.gutterText(12345), QStringLiteral("12346"));
    editor.setCaretLine(12000);
    QApplication::processEvents();
    const long first = editor.SendScintilla(SB::SCI_GETFIRSTVISIBLELINE);
    editor.SendScintilla(SB::SCI_MARGINGETTEXT, (unsigned long)first, text);
    QCOMPARE(QByteArray(text), QByteArray::number(first + 1).rightJustified(5, '0'));
}

// Each token is drawn in the style of its kind, with the colour configured for
// it; non-ASCII text is styled by its bytes.
void tst_CncEditor::colouring()
{
    GCodeColours colours;
    for (int i = 0; i < GCodeColours::Count; ++i)
        colours.values[i] = 0x010101 * (i + 1);
    CncEditor editor;
    editor.setHighlighterColours(colours);
    const QString lines[] = {QStringLiteral("G01X-10.5Y2 (\u00e9t\u00e9) %"), QStringLiteral("HARBOUR O1 \U0001F527X1")};
    loadBytes(editor, (lines[0] + QStringLiteral("\r\n") + lines[1]).toUtf8());
    editor.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
    for (int l = 0; l < 2; ++l) {
        const long lineStart = editor.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)l);
        for (const GCodeToken &t : scanGCodeLine(lines[l])) {
            const long byte = lineStart + lines[l].left(t.start).toUtf8().size();
            QCOMPARE(styleAt(editor, byte), int(t.kind));
        }
        const long lineEnd = editor.SendScintilla(SB::SCI_GETLINEENDPOSITION, (unsigned long)l);
        QCOMPARE(styleAt(editor, lineEnd - 1), int(scanGCodeLine(lines[l]).last().kind));
    }
    QCOMPARE(styleAt(editor, editor.SendScintilla(SB::SCI_GETLINEENDPOSITION, 0UL)), int(GCodeTokenKind::Space));

    const int g = int(GCodeTokenKind::AddressG);
    QCOMPARE(editor.SendScintilla(SB::SCI_STYLEGETFORE, (unsigned long)g), long(colours.values[4]));
    QCOMPARE(editor.SendScintilla(SB::SCI_STYLEGETFORE, (unsigned long)GCodeTokenKind::Paren), long(colours.values[19]));
    // The control keeps the font weight as a negative number.
    QCOMPARE(std::abs(editor.SendScintilla(SB::SCI_STYLEGETWEIGHT, (unsigned long)GCodeTokenKind::ReservedWord)), 700L);
    QCOMPARE(std::abs(editor.SendScintilla(SB::SCI_STYLEGETWEIGHT, (unsigned long)g)), 400L);

    // New colours come with a new colouring.
    colours.values[4] = 255;
    editor.setHighlighterColours(colours);
    QCOMPARE(editor.SendScintilla(SB::SCI_STYLEGETFORE, (unsigned long)g), 255L);
}

void tst_CncEditor::fontFallback()
{
    CncEditor editor;
    editor.setEditorFont(QString(), 0);
    QVERIFY(!editor.editorFont().family().isEmpty());
    QVERIFY(editor.editorFont().pointSize() > 0);
    editor.setEditorFont(QStringLiteral("No Such Font Anywhere"), 14);
    QCOMPARE(editor.editorFont().pointSize(), 14);
    QCOMPARE(editor.SendScintilla(SB::SCI_STYLEGETSIZE, 0UL), 14L);
    editor.setEditorFont(QString(), 0);
    QVERIFY(editor.SendScintilla(SB::SCI_STYLEGETSIZE, 0UL) > 0);
}

void tst_CncEditor::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");        // position before the run
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<QString>("flags");    // r: replace all, b: back, c: case, e: entire scope, w: whole, x: regex, s: selection 2-9
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("after");    // text after the run
    QTest::addColumn<int>("selStart");     // selection after the run (found/last replaced)

    const QString t = QStringLiteral("G1 X1\nG1 x10\ng1 X1\n");
    QTest::newRow("find from the start") << t << 8 << "x1" << "" << "e" << 1 << t << 3;
    QTest::newRow("find from the caret") << t << 8 << "x1" << "" << "" << 1 << t << 9;
    QTest::newRow("find back from the caret") << t << 8 << "x1" << "" << "b" << 1 << t << 3;
    QTest::newRow("find back from the end") << t << 8 << "x1" << "" << "be" << 1 << t << 16;
    QTest::newRow("match case") << t << 0 << "x1" << "" << "ce" << 1 << t << 9;
    QTest::newRow("whole word") << t << 7 << "X1" << "" << "w" << 1 << t << 16;
    QTest::newRow("not found") << t << 0 << "Y" << "" << "e" << 0 << t << -1;
    QTest::newRow("selection, none selected") << t << 0 << "G1" << "" << "es" << 0 << t << -1;
    QTest::newRow("regular expression") << t << 0 << "[xX]1[0-9]" << "" << "ex" << 1 << t << 9;
    QTest::newRow("non-ASCII any case") << QStringLiteral("(\u00c9T\u00c9) (\u00e9t\u00e9)") << 0
                                        << QStringLiteral("\u00e9t\u00e9") << "" << "" << 1
                                        << QStringLiteral("(\u00c9T\u00c9) (\u00e9t\u00e9)") << 1;
    QTest::newRow("replace all") << t << 8 << "x1" << "Y2" << "re" << 3 << QStringLiteral("G1 Y2\nG1 Y20\ng1 Y2\n") << 16;
    QTest::newRow("replace all from caret") << t << 8 << "x1" << "Y2" << "r" << 2
                                            << QStringLiteral("G1 X1\nG1 Y20\ng1 Y2\n") << 16;
    QTest::newRow("replace all back") << t << 8 << "x1" << "" << "rbe" << 3 << QStringLiteral("G1 \nG1 0\ng1 \n") << 3;
    QTest::newRow("replace in selection") << t << 0 << "1" << "2" << "res" << 2
                                          << QStringLiteral("G1 X2\nG2 x10\ng1 X1\n") << 7;
    QTest::newRow("replace by regex groups") << t << 0 << "([gG])1" << "\\1 2" << "rex" << 3
                                             << QStringLiteral("G 2 X1\nG 2 x10\ng 2 X1\n") << 15;
    QTest::newRow("replace whole words") << t << 0 << "x1" << "Z" << "rew" << 2
                                         << QStringLiteral("G1 Z\nG1 x10\ng1 Z\n") << 15;
    // Regular expressions take whole words and letter case as plain texts do.
    QTest::newRow("regex, whole word") << t << 7 << "x1" << "" << "wx" << 1 << t << 16;
    QTest::newRow("regex, whole word, back") << t << 13 << "x1" << "" << "bwx" << 1 << t << 3;
    QTest::newRow("regex, replace whole words") << t << 0 << "x1" << "Z" << "rewx" << 2
                                                << QStringLiteral("G1 Z\nG1 x10\ng1 Z\n") << 15;
    QTest::newRow("regex, non-ASCII any case") << QStringLiteral("(\u00c9T\u00c9) (\u00e9t\u00e9)") << 0
                                               << QStringLiteral("\u00e9t\u00e9") << "" << "x" << 1
                                               << QStringLiteral("(\u00c9T\u00c9) (\u00e9t\u00e9)") << 1;
    QTest::newRow("regex, non-ASCII match case") << QStringLiteral("(\u00c9T\u00c9) (\u00e9t\u00e9)") << 0
                                                 << QStringLiteral("\u00e9.") << "" << "cx" << 1
                                                 << QStringLiteral("(\u00c9T\u00c9) (\u00e9t\u00e9)") << 9;
    QTest::newRow("regex, a word of non-ASCII letters") << QStringLiteral("\u00e9X1 X1") << 0 << "X1" << "" << "ewx" << 1
                                                        << QStringLiteral("\u00e9X1 X1") << 5;
    QTest::newRow("regex, replace all back from the caret") << t << 8 << "[xX]1" << "<\\0>" << "rbx" << 1
                                                            << QStringLiteral("G1 <X1>\nG1 x10\ng1 X1\n") << 3;
}

void tst_CncEditor::search()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(QString, flags);
    QFETCH(int, found);
    QFETCH(QString, after);
    QFETCH(int, selStart);

    CncEditor editor;
    loadBytes(editor, text.toUtf8());
    if (flags.contains(QLatin1Char('s')))
        editor.SendScintilla(SB::SCI_SETSEL, 2UL, 9L);
    else
        editor.SendScintilla(SB::SCI_GOTOPOS, (unsigned long)caret);
    EditorSearchOptions o;
    o.replace = o.replaceAll = flags.contains(QLatin1Char('r'));
    o.backwards = flags.contains(QLatin1Char('b'));
    o.matchCase = flags.contains(QLatin1Char('c'));
    o.entireScope = flags.contains(QLatin1Char('e'));
    o.wholeWord = flags.contains(QLatin1Char('w'));
    o.regularExpression = flags.contains(QLatin1Char('x'));
    o.selectedOnly = flags.contains(QLatin1Char('s'));
    if (o.selectedOnly && flags.contains(QLatin1Char('e')) && !o.replace)
        editor.SendScintilla(SB::SCI_GOTOPOS, 0UL); // nothing selected
    QCOMPARE(editor.searchReplace(find, replace, o), found);
    QCOMPARE(editor.allText(), after);
    if (selStart >= 0)
        QCOMPARE(editor.SendScintilla(SB::SCI_GETSELECTIONSTART), long(selStart));
    if (o.replace) {
        editor.undo();
        QCOMPARE(editor.allText(), text);
    }
}

void tst_CncEditor::replaceAnswers_data()
{
    QTest::addColumn<QString>("answers"); // R replace, S skip, A all, C cancel
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("asked");
    QTest::addColumn<QString>("after");
    QTest::newRow("yes, no, yes, no") << "RSRS" << 2 << 4 << "X2 X1 X2 X1";
    QTest::newRow("yes to all at the first") << "A" << 4 << 1 << "X2 X2 X2 X2";
    QTest::newRow("no, then yes to all") << "SA" << 3 << 2 << "X1 X2 X2 X2";
    QTest::newRow("cancel at the second") << "RC" << 2 << 2 << "X2 X1 X1 X1";
}

void tst_CncEditor::replaceAnswers()
{
    QFETCH(QString, answers);
    QFETCH(int, result);
    QFETCH(int, asked);
    QFETCH(QString, after);
    CncEditor editor;
    loadBytes(editor, "X1 X1 X1 X1");
    QStringList positions;
    editor.onReplaceText = [&](const QString &search, const QString &replace, int line, int column) -> ReplaceAction {
        positions << QStringLiteral("%1:%2 %3>%4").arg(line).arg(column).arg(search, replace);
        switch (answers.at(positions.size() - 1).unicode()) {
        case 'R': return ReplaceAction::Replace;
        case 'S': return ReplaceAction::Skip;
        case 'A': return ReplaceAction::ReplaceAll;
        default: return ReplaceAction::Cancel;
        }
    };
    EditorSearchOptions o;
    o.replace = o.replaceAll = o.prompt = true;
    o.entireScope = true;
    QCOMPARE(editor.searchReplace(QStringLiteral("X1"), QStringLiteral("X2"), o), result);
    QCOMPARE(positions.size(), asked);
    QCOMPARE(positions.first(), QStringLiteral("1:1 X1>X2"));
    QCOMPARE(editor.allText(), after);
}

void tst_CncEditor::emptyRegexMatchesEndTheRun()
{
    CncEditor editor;
    loadBytes(editor, "G0\nG1\n");
    EditorSearchOptions o;
    o.replace = o.replaceAll = o.regularExpression = o.entireScope = true;
    QCOMPARE(editor.searchReplace(QStringLiteral("^"), QStringLiteral("N "), o), 3);
    QCOMPARE(editor.allText(), QStringLiteral("N G0\nN G1\nN "));
}

void tst_CncEditor::regexOnAVeryLongLine_data()
{
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<QString>("flags"); // r: replace all, b: back, c: match case
    QTest::addColumn<int>("found");
    QTest::addColumn<long>("selStart"); // find only
    QTest::addColumn<long>("selEnd");
    QTest::addColumn<QString>("after"); // replace only

    constexpr long A = 1000000;
    QTest::newRow(".* forward") << ".*" << "" << "" << 1 << 0L << A + 5 << "";
    QTest::newRow("a+ any case") << "a+" << "" << "" << 1 << 4L << A + 4 << "";
    QTest::newRow("(A+) back") << "(A+)" << "" << "bc" << 1 << 4L << A + 4 << "";
    QTest::newRow("(A+) replace by its group") << "(A+)" << "<\\1>" << "rc" << 1 << 0L << 0L << "";
    QTest::newRow(".* replace all") << ".*" << "X" << "r" << 3 << 0L << 0L << "X\nX\nX";
    QTest::newRow("a+ replace all back") << "a+" << "b" << "rb" << 2 << 0L << 0L << "N1 (b)\nN2 b\n";
}

// The engine must not recurse per matched character: a line of a million
// characters would overflow the stack.
void tst_CncEditor::regexOnAVeryLongLine()
{
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(QString, flags);
    QFETCH(int, found);
    QFETCH(long, selStart);
    QFETCH(long, selEnd);
    QFETCH(QString, after);
    const QByteArray as(1000000, 'A');
    const QByteArray text = "N1 (" + as + ")\nN2 a\n";
    CncEditor editor;
    loadBytes(editor, text);
    EditorSearchOptions o;
    o.regularExpression = o.entireScope = true;
    o.replace = o.replaceAll = flags.contains(QLatin1Char('r'));
    o.backwards = flags.contains(QLatin1Char('b'));
    o.matchCase = flags.contains(QLatin1Char('c'));
    QCOMPARE(editor.searchReplace(find, replace, o), found);
    if (!o.replace) {
        QCOMPARE(editor.SendScintilla(SB::SCI_GETSELECTIONSTART), selStart);
        QCOMPARE(editor.SendScintilla(SB::SCI_GETSELECTIONEND), selEnd);
        return;
    }
    if (after.isEmpty())
        QCOMPARE(editor.allText().toLatin1(), "N1 (<" + as + ">)\nN2 a\n");
    else
        QCOMPARE(editor.allText(), after);
    editor.undo();
    QCOMPARE(editor.allText().toLatin1(), text);
}

void tst_CncEditor::engineGivingUpIsAnError_data()
{
    QTest::addColumn<QString>("flags"); // r: replace all, b: back
    QTest::newRow("find") << "";
    QTest::newRow("find back") << "b";
    QTest::newRow("replace all") << "r";
}

// A pattern that backtracks once per character outgrows the engine's room on a
// very long line: the search must say so, not report the text as not found.
void tst_CncEditor::engineGivingUpIsAnError()
{
    QFETCH(QString, flags);
    Texts::FUNC_Textos_EN();
    const QByteArray text = "N1 B\n(" + QByteArray(1000000, 'A') + ")\n";
    CncEditor editor;
    loadBytes(editor, text);
    EditorSearchOptions o;
    o.regularExpression = o.entireScope = o.matchCase = true;
    o.replace = o.replaceAll = flags.contains(QLatin1Char('r'));
    o.backwards = flags.contains(QLatin1Char('b'));
    QString message;
    try {
        editor.searchReplace(QStringLiteral("\\((A|B)*\\)"), QStringLiteral("X"), o);
    } catch (const Error &e) {
        message = e.message();
    }
    QCOMPARE(message, QStringLiteral("ERROR: The regular expression \"\\((A|B)*\\)\" cannot be matched on line 2: the "
                                     "line is too long for it. Try a simpler expression."));
    QCOMPARE(editor.allText().toLatin1(), text);
}

void tst_CncEditor::emptyMatchesStepOn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("find");
    QTest::addColumn<bool>("back");
    QTest::addColumn<QString>("steps"); // selection start of each run from the caret, "-" not found

    const QString lines = QStringLiteral("G0\nG1\nG2");
    QTest::newRow("^ forward") << lines << 0 << "^" << false << "3 6 -";
    QTest::newRow("^ back") << lines << 8 << "^" << true << "6 3 0 -";
    QTest::newRow("$ forward") << lines << 0 << "$" << false << "2 5 8 -";
    QTest::newRow("$ back") << lines << 8 << "$" << true << "5 2 -";
    QTest::newRow("x* forward") << "ab" << 0 << "x*" << false << "1 2 -";
    QTest::newRow("x* back") << "ab" << 2 << "x*" << true << "1 0 -";
    QTest::newRow("G1* forward, empty and not") << "G11 G" << 0 << "G1*" << false << "0 4 -";
    QTest::newRow("an empty line") << QStringLiteral("G0\n\nG1") << 0 << "^$" << false << "3 -";
}

void tst_CncEditor::emptyMatchesStepOn()
{
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, find);
    QFETCH(bool, back);
    QFETCH(QString, steps);
    CncEditor editor;
    loadBytes(editor, text.toUtf8());
    editor.SendScintilla(SB::SCI_GOTOPOS, (unsigned long)caret);
    EditorSearchOptions o;
    o.regularExpression = true;
    o.backwards = back;
    QStringList seen;
    for (int i = 0; i < steps.count(QLatin1Char(' ')) + 1; ++i) {
        if (editor.searchReplace(find, QString(), o) == 0)
            seen << QStringLiteral("-");
        else
            seen << QString::number(editor.SendScintilla(SB::SCI_GETSELECTIONSTART));
    }
    QCOMPARE(seen.join(QLatin1Char(' ')), steps);
}

void tst_CncEditor::undoOfReplaceAllIsOneChange_data()
{
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replace");
    QTest::addColumn<bool>("regex");
    QTest::addColumn<QString>("answers"); // of the confirmation; empty: none asked
    QTest::addColumn<int>("changes");     // most insertions and deletions an undo may replay

    QTest::newRow("plain") << "M08" << "M09" << false << "" << 2;
    QTest::newRow("regex with a group") << "M0(8)" << "M1\\1" << true << "" << 2;
    QTest::newRow("yes to all at the first") << "M08" << "M09" << false << "A" << 2;
    QTest::newRow("yes, no, then yes to all") << "M08" << "M09" << false << "RSA" << 4;
}

// An undo that replays every occurrence one by one costs in proportion to the
// document each time; a replace all must come back as one change.
void tst_CncEditor::undoOfReplaceAllIsOneChange()
{
    QFETCH(QString, find);
    QFETCH(QString, replace);
    QFETCH(bool, regex);
    QFETCH(QString, answers);
    QFETCH(int, changes);
    QByteArray text;
    for (int i = 1; i <= 2000; ++i)
        text += "N" + QByteArray::number(i) + (i % 2 ? " G1 M08\r\n" : " G0\r\n");
    CncEditor editor;
    loadBytes(editor, text);
    int asked = 0;
    if (!answers.isEmpty()) {
        editor.onReplaceText = [&](const QString &, const QString &, int, int) {
            switch (answers.at(asked++).unicode()) {
            case 'R': return ReplaceAction::Replace;
            case 'S': return ReplaceAction::Skip;
            default: return ReplaceAction::ReplaceAll;
            }
        };
    }
    EditorSearchOptions o;
    o.replace = o.replaceAll = o.entireScope = true;
    o.prompt = !answers.isEmpty();
    o.matchCase = true;
    o.regularExpression = regex;
    QCOMPARE(editor.searchReplace(find, replace, o), 1000 - int(answers.count(QLatin1Char('S'))));
    QCOMPARE(asked, int(answers.size()));
    const QString replaced = editor.allText();
    QCOMPARE(replaced.count(QStringLiteral("M08")), int(answers.count(QLatin1Char('S'))));

    int replayed = 0;
    connect(&editor, &SB::SCN_MODIFIED, &editor,
            [&](int, int type, const char *, int, int, int, int, int, int, int) {
                if ((type & (SB::SC_PERFORMED_UNDO | SB::SC_PERFORMED_REDO))
                    && (type & (SB::SC_MOD_INSERTTEXT | SB::SC_MOD_DELETETEXT)))
                    ++replayed;
            });
    editor.undo();
    QCOMPARE(editor.allText().toUtf8(), text);
    QVERIFY2(replayed <= changes, qPrintable(QString::number(replayed)));
    replayed = 0;
    editor.redo();
    QCOMPARE(editor.allText(), replaced);
    QVERIFY2(replayed <= changes, qPrintable(QString::number(replayed)));
}

QTEST_MAIN(tst_CncEditor)
void tst_CncEditor::editingKeepsItsListeners_data()
{
    QTest::addColumn<bool>("assistiveTechnology");
    QTest::addColumn<QByteArray>("typed"); // inserted at the caret; empty: a new line
    QTest::addColumn<int>("linesAdded");

    for (bool at : {false, true}) {
        const char *who = at ? ", assistive technology" : "";
        QTest::newRow(qPrintable(QStringLiteral("keystroke%1").arg(QLatin1String(who)))) << at << QByteArray("7") << 0;
        QTest::newRow(qPrintable(QStringLiteral("new line%1").arg(QLatin1String(who)))) << at << QByteArray() << 1;
        QTest::newRow(qPrintable(QStringLiteral("pasted lines%1").arg(QLatin1String(who))))
            << at << QByteArray("G04 P1\r\nM05\r\n") << 2;
    }
}

// Whether or not an assistive technology runs, an edit and its undo and redo
// reach everything that follows the text: the modified flag, textChanged and
// linesChanged, the gutter's numbers, the colouring of the new text.
void tst_CncEditor::editingKeepsItsListeners()
{
    QFETCH(bool, assistiveTechnology);
    QFETCH(QByteArray, typed);
    QFETCH(int, linesAdded);
    std::optional<AssistiveTechnology> running;
    if (assistiveTechnology)
        running.emplace();

    CncEditor editor;
    editor.resize(500, 400);
    editor.show();
    QByteArray program;
    for (int i = 1; i <= 2000; ++i)
        program += "N" + QByteArray::number(i) + " G01 X" + QByteArray::number(i) + "\r\n";
    loadBytes(editor, program);
    const QString original = editor.allText();
    editor.setCaretLine(1000);
    QApplication::processEvents();
    QSignalSpy texts(&editor, &QsciScintilla::textChanged);
    QSignalSpy lineCounts(&editor, &QsciScintilla::linesChanged);
    const long at = editor.SendScintilla(SB::SCI_GETCURRENTPOS);

    const auto settle = [&] {
        editor.repaint();
        QApplication::processEvents();
    };
    if (typed.isEmpty())
        editor.SendScintilla(SB::SCI_NEWLINE);
    else
        editor.SendScintilla(SB::SCI_ADDTEXT, (unsigned long)typed.size(), typed.constData());
    settle();
    QVERIFY(editor.isModified());
    QCOMPARE(editor.count(), 2001 + linesAdded);
    QVERIFY(texts.count() >= 1);
    QCOMPARE(lineCounts.count(), linesAdded ? 1 : 0);
    QCOMPARE(wrongGutterLine(editor), -1L);
    if (!typed.isEmpty()) {
        editor.SendScintilla(SB::SCI_COLOURISE, 0UL, -1L);
        QCOMPARE(styleAt(editor, at), int(scanGCodeLine(QString::fromLatin1(typed)).first().kind));
    }
    const QString changed = editor.allText();

    texts.clear();
    editor.undo();
    settle();
    QCOMPARE(editor.allText(), original);
    QVERIFY(!editor.isModified());
    QVERIFY(texts.count() >= 1);
    QCOMPARE(wrongGutterLine(editor), -1L);

    editor.redo();
    settle();
    QCOMPARE(editor.allText(), changed);
    QVERIFY(editor.isModified());
    QCOMPARE(wrongGutterLine(editor), -1L);
    QCOMPARE(lineCounts.count(), linesAdded ? 3 : 0);
}

// With no assistive technology the editor's accessible interface is a plain
// one (the control's own costs a walk from the document start per change);
// one that starts gets the control's, with its text, and keeps getting the
// change notifications at once; when it ends the plain one is back.
void tst_CncEditor::assistiveTechnologyGetsTheControlsInterface()
{
    CncEditor editor;
    editor.show();
    loadBytes(editor, "G01 X1\r\nM30");
    QVERIFY(!hasTextInterface(editor));
    {
        AssistiveTechnology running;
        QVERIFY(hasTextInterface(editor));
        QCOMPARE(QAccessible::queryAccessibleInterface(&editor)->textInterface()->characterCount(), 11);
        QSignalSpy texts(&editor, &QsciScintilla::textChanged);
        editor.SendScintilla(SB::SCI_ADDTEXT, 1UL, "%");
        QCOMPARE(texts.count(), 1); // from the control, not later from the event loop

        CncEditor second;
        loadBytes(second, "G00");
        QVERIFY(hasTextInterface(second));
        QSignalSpy secondTexts(&second, &QsciScintilla::textChanged);
        second.SendScintilla(SB::SCI_ADDTEXT, 1UL, "%");
        QCOMPARE(secondTexts.count(), 1);
    }
    QVERIFY(!hasTextInterface(editor));
    QSignalSpy texts(&editor, &QsciScintilla::textChanged);
    editor.SendScintilla(SB::SCI_ADDTEXT, 1UL, "%");
    QTRY_COMPARE(texts.count(), 1);
}

// A jump through a long program leaves the lines on the way uncoloured; they
// must have their colours whenever they are shown, also after edits before
// and among them.
void tst_CncEditor::linesPassedOnTheWayAreColouredWhenShown()
{
    CncEditor editor;
    editor.resize(500, 300);
    editor.show();
    QByteArray program;
    for (int i = 0; i < 40000; ++i)
        program += "N" + QByteArray::number(i) + " G01 X" + QByteArray::number(i % 97) + " (A)\r\n";
    loadBytes(editor, program);
    QApplication::processEvents();

    const auto viewIsColoured = [&]() -> QString {
        editor.repaint();
        QApplication::processEvents();
        const long first = editor.SendScintilla(SB::SCI_GETFIRSTVISIBLELINE);
        const long end = std::min<long>(editor.count(), first + editor.SendScintilla(SB::SCI_LINESONSCREEN));
        for (long l = first; l < end; ++l) {
            const long lineStart = editor.SendScintilla(SB::SCI_POSITIONFROMLINE, (unsigned long)l);
            for (const GCodeToken &t : scanGCodeLine(editor.line(int(l)))) {
                if (styleAt(editor, lineStart + t.start) != int(t.kind))
                    return QStringLiteral("line %1 column %2").arg(l + 1).arg(t.start + 1);
            }
        }
        return QString();
    };
    editor.SendScintilla(SB::SCI_DOCUMENTEND);
    QCOMPARE(viewIsColoured(), QString());
    editor.setCaretLine(20000);
    QCOMPARE(viewIsColoured(), QString());
    editor.setCaretLine(25000);
    QCOMPARE(viewIsColoured(), QString());

    // Lines added before the lines passed over move them.
    editor.setCaretLine(3000);
    editor.SendScintilla(SB::SCI_ADDTEXT, 15UL, "G02 X1\r\nG03 Y2\r\n");
    QCOMPARE(viewIsColoured(), QString());
    editor.SendScintilla(SB::SCI_DOCUMENTEND);
    QCOMPARE(viewIsColoured(), QString());
    editor.setCaretLine(12000);
    QCOMPARE(viewIsColoured(), QString());
    editor.undo();
    editor.setCaretLine(30000);
    QCOMPARE(viewIsColoured(), QString());
    editor.setCaretLine(12001);
    QCOMPARE(viewIsColoured(), QString());
}

#include "tst_cnceditor.moc"
