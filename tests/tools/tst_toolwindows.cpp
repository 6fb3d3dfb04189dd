// The tool windows in the running application: the opening commands, the
// controls, and runs over an open editor tab with their history entries.
#include "StartWindows.h"
#include "TestSupport.h"

#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/MessagesWindow.h"
#include "app/Ribbon.h"
#include "editor/CncEditor.h"
#include "editor/EditorArea.h"
#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "platform/SystemFormats.h"
#include "tools/ArcCentreWindow.h"
#include "tools/MirrorWindow.h"
#include "tools/ProgressWindow.h"
#include "tools/RenumberWindow.h"
#include "tools/SpacesWindow.h"
#include "tools/StartEndWindow.h"
#include "tools/ToolCommands.h"
#include "tools/ToolSpinBox.h"
#include "tools/TranslateWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

class tst_ToolWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void warnsWithoutAnOpenFile_data();
    void warnsWithoutAnOpenFile();
    void opensWithItsRibbonCaption();
    void showsTheLanguageTexts();
    void rangeControlsFollowTheRadioButtons();
    void renumberWindowColoursAndResets();
    void captionColoursOfTheOtherWindows();
    void translationFieldsTakeNumberKeysOnly();
    void runWritesLinesHistoryAndModified();
    void threeLinesEndAtSixtySevenPercent();
    void reversedRangeStillWritesTheEntry();
    void oneUndoTakesTheRunBack();
    void editorGetsTheSameLinesAsTheCore();
    void conversionErrorStopsWithoutEntry();
    void wrongIncrementNamesTheField_data();
    void wrongIncrementNamesTheField();
    void cancelKeepsTheLinesDoneWithoutEntry();
    void startEndRefusesWithoutAPlace();
    void textWithBreaksGivesTheCommandLineResult_data();
    void textWithBreaksGivesTheCommandLineResult();
    void helpButtonOpensThePage();

private:
    CncEditor *open(const QByteArray &bytes);
    QStringList lines() const;
    int entryCount() const;
    QStringList lastEntry() const; // node text, then children
    template<typename W>
    W *window(const char *name) const
    {
        return qobject_cast<W *>(Application::window(QLatin1String(name)));
    }

    QTemporaryDir m_dir;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
    EditorArea *m_area = nullptr;
    int m_files = 0;
};

void tst_ToolWindows::init()
{
    TestSupport::resetAppState();
    SystemFormats::setDecimalSeparator(QLatin1Char('.'));
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
    TestSupport::writeBytes(m_dir.filePath(QStringLiteral("Zavrin.ini")), "[LANGUAGE]\r\nVALUE=EN\r\n");
    m_main = startWindows(m_dir.path());
    // Without a database the show step stops before it docks the messages panel.
    m_main->showMessagesPanel();
    m_main->ribbonPages()->setCurrentIndex(2);
    m_area = EditorArea::instance();
    QVERIFY(m_area);
    m_dialogs->clear();
}

void tst_ToolWindows::cleanup()
{
    m_dialogs->clear();
    if (CncEditor *editor = m_area ? m_area->CurrentEditor() : nullptr)
        editor->setModified(false); // no save question at the end
    Application::destroyWindows();
    m_main = nullptr;
    delete m_shell;
    delete m_dialogs;
    SystemFormats::resetToSystem();
}

CncEditor *tst_ToolWindows::open(const QByteArray &bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("P%1.NC").arg(++m_files));
    TestSupport::writeBytes(path, bytes);
    m_area->FUNC_Abrir_Arquivo(path);
    return m_area->CurrentEditor();
}

QStringList tst_ToolWindows::lines() const
{
    QStringList result;
    CncEditor *editor = m_area->CurrentEditor();
    for (int i = 0; i < editor->count(); ++i)
        result << editor->line(i);
    return result;
}

int tst_ToolWindows::entryCount() const { return m_main->messages()->TreeView1()->topLevelItemCount(); }

QStringList tst_ToolWindows::lastEntry() const
{
    QTreeWidget *tree = m_main->messages()->TreeView1();
    QTreeWidgetItem *item = tree->topLevelItem(tree->topLevelItemCount() - 1);
    if (!item)
        return {};
    QStringList texts{item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

void tst_ToolWindows::warnsWithoutAnOpenFile_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("function");
    QTest::newRow("BT01") << 1 << "Add or Remove Spaces";
    QTest::newRow("BT02") << 2 << "Edit Number of Blocks";
    QTest::newRow("BT06") << 6 << "Convert IJ Coordinates to Absolute or Incremental";
    QTest::newRow("BT07") << 7 << "Translation of XYZ Coordinates";
    QTest::newRow("BT08") << 8 << "Apply Mirroring the X and Y Coordinates";
    QTest::newRow("BT09") << 9 << "Add Character Start\\End";
}

void tst_ToolWindows::warnsWithoutAnOpenFile()
{
    QFETCH(int, button);
    QFETCH(QString, function);
    QVERIFY(!m_area->hasActiveTab());
    switch (button) {
    case 1: ToolCommands::BT01Click(); break;
    case 2: ToolCommands::BT02Click(); break;
    case 6: ToolCommands::BT06Click(); break;
    case 7: ToolCommands::BT07Click(); break;
    case 8: ToolCommands::BT08Click(); break;
    default: ToolCommands::BT09Click(); break;
    }
    QCOMPARE(m_dialogs->calls().size(), 1);
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Warning);
    QCOMPARE(m_dialogs->last().text,
             QStringLiteral("ATTENTION: No open File to apply the Function \"") + function + QStringLiteral("\"."));
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_ToolWindows::opensWithItsRibbonCaption()
{
    open("N10 G01 X1\r\n");
    QString caption;
    QString shown;
    QTimer::singleShot(0, this, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        shown = modal->objectName();
        caption = modal->findChild<QObject *>(QStringLiteral("Ribbon1"))->property("caption").toString();
        static_cast<QDialog *>(modal)->reject();
    });
    ToolCommands::BT02Click();
    QCOMPARE(shown, QStringLiteral("Form_EDT2"));
    QCOMPARE(caption, QStringLiteral("Zavrin - Nº. of Blocks"));
}

void tst_ToolWindows::showsTheLanguageTexts()
{
    auto *spaces = window<TForm_EDT1>("Form_EDT1");
    // The title is the window's caption (the catalog's title key says "Zavrin" or "Form_EDT3").
    QCOMPARE(spaces->windowTitle(), QStringLiteral("Zavrin - Spaces"));
    QCOMPARE(spaces->RadioButton2()->text(), QStringLiteral("Add Space"));
    QCOMPARE(spaces->RadioButton3()->text(), QStringLiteral("Apply throughout File"));
    QCOMPARE(spaces->BitBtn1()->text(), QStringLiteral("&Apply"));
    QCOMPARE(spaces->group()->title(), QStringLiteral(" Data for Operation "));
    QCOMPARE(window<TForm_EDT3>("Form_EDT3")->RadioButton5()->text(),
             QStringLiteral("Convert \"I\", \"J\" coordinates for absolute - Beginning of the Arc"));
    QCOMPARE(window<TForm_EDT3>("Form_EDT3")->windowTitle(), QStringLiteral("Zavrin - Convert IJ"));
    QCOMPARE(window<TForm_EDT7>("Form_EDT7")->Label2()->text(), QStringLiteral("Character :"));
    QCOMPARE(window<TForm_EDT5>("Form_EDT5")->checkBox(3)->text(), QStringLiteral("Replace G02 G03 code for "));
    auto *progress = TForm_EDT_Progress::instance();
    QCOMPARE(progress->Label1()->text(), QStringLiteral("0% "));
    QCOMPARE(progress->BitBtn3()->text(), QStringLiteral("&Cancel"));
    for (const char *name : {"Form_EDT1", "Form_EDT2", "Form_EDT3", "Form_EDT4", "Form_EDT5", "Form_EDT7"})
        QCOMPARE(Application::window(QLatin1String(name))->width(), 494);
    QCOMPARE(progress->size(), QSize(692, 65));

    // Every control key of the tool windows reaches its control.
    QStringList missing;
    for (const QString &key : missingControlKeys(Application::windows())) {
        if (key.startsWith(QLatin1String("Form_EDT")) && !key.startsWith(QLatin1String("Form_EDT_COR")))
            missing << key;
    }
    QCOMPARE(missing, QStringList());
}

void tst_ToolWindows::rangeControlsFollowTheRadioButtons()
{
    auto *w = window<TForm_EDT4>("Form_EDT4");
    QVERIFY(w->RadioButton3()->isChecked());
    QVERIFY(!w->SpinEdit1()->isEnabled() && !w->SpinEdit2()->isEnabled() && !w->Label1()->isEnabled());
    w->RadioButton4()->setChecked(true);
    QVERIFY(w->SpinEdit1()->isEnabled() && w->SpinEdit2()->isEnabled() && w->Label1()->isEnabled());
    // A blank spin box counts as 1; its limits hold.
    w->SpinEdit1()->findChild<QLineEdit *>()->clear();
    QCOMPARE(w->range().firstLine, 1);
    w->SpinEdit2()->setValue(200000000);
    QCOMPARE(w->SpinEdit2()->value(), 100000000);
    w->RadioButton3()->setChecked(true);
    QVERIFY(!w->SpinEdit1()->isEnabled());
    QVERIFY(w->range().wholeFile);
}

void tst_ToolWindows::renumberWindowColoursAndResets()
{
    auto *w = window<TForm_EDT2>("Form_EDT2");
    const QColor navy(0, 0, 128);
    QCOMPARE(w->CheckBox1()->palette().color(QPalette::WindowText), navy);
    QCOMPARE(w->Label2()->palette().color(QPalette::WindowText), navy);
    QVERIFY(!w->SpinEdit3()->isEnabled() && !w->SpinEdit4()->isEnabled() && !w->SpinEdit5()->isEnabled());

    w->CheckBox3()->click();
    QVERIFY(w->SpinEdit4()->isEnabled() && w->SpinEdit5()->isEnabled());
    const QColor text = QApplication::palette().color(QPalette::WindowText);
    QCOMPARE(w->Label3()->palette().color(QPalette::WindowText), text);
    w->SpinEdit4()->setValue(100);
    w->SpinEdit5()->setValue(5);
    w->CheckBox3()->click();
    QCOMPARE(w->SpinEdit4()->value(), 0);
    QCOMPARE(w->SpinEdit5()->value(), 1);
    QVERIFY(!w->SpinEdit4()->isEnabled());
    QCOMPARE(w->CheckBox3()->palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));

    w->CheckBox1()->click();
    w->SpinEdit3()->setValue(7);
    w->CheckBox1()->click();
    QCOMPARE(w->SpinEdit3()->value(), 1);
    // The padding bound shows as the box's maximum.
    QCOMPARE(w->SpinEdit3()->maximum(), 32);
}

void tst_ToolWindows::captionColoursOfTheOtherWindows()
{
    const QColor grey = QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
    auto *mirror = window<TForm_EDT5>("Form_EDT5");
    QCOMPARE(mirror->checkBox(1)->palette().color(QPalette::WindowText), grey);
    mirror->checkBox(1)->click();
    QCOMPARE(mirror->checkBox(1)->palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::WindowText));
    auto *translate = window<TForm_EDT4>("Form_EDT4");
    QCOMPARE(translate->CheckBox2()->palette().color(QPalette::WindowText), QColor(Qt::black));
    translate->CheckBox2()->click();
    QVERIFY(translate->Edit2()->isEnabled());
    translate->Edit2()->setText(QStringLiteral("5"));
    translate->CheckBox2()->click();
    QVERIFY(translate->Edit2()->text().isEmpty());
    QVERIFY(!translate->Edit2()->isEnabled());
    QCOMPARE(translate->CheckBox2()->palette().color(QPalette::WindowText), grey);
}

void tst_ToolWindows::translationFieldsTakeNumberKeysOnly()
{
    auto *w = window<TForm_EDT4>("Form_EDT4");
    w->CheckBox1()->setChecked(true);
    QTest::keyClicks(w->Edit1(), QStringLiteral("-1a2,.5 x+"));
    QCOMPARE(w->Edit1()->text(), QStringLiteral("-12.5+"));
    QTest::keyClick(w->Edit1(), Qt::Key_Backspace);
    QCOMPARE(w->Edit1()->text(), QStringLiteral("-12.5"));
    SystemFormats::setDecimalSeparator(QLatin1Char(','));
    w->Edit1()->clear();
    QTest::keyClicks(w->Edit1(), QStringLiteral("1.5,5"));
    QCOMPARE(w->Edit1()->text(), QStringLiteral("15,5"));
}

void tst_ToolWindows::runWritesLinesHistoryAndModified()
{
    CncEditor *editor = open("%\r\nO1000\r\nN5 G00 X0\r\nG01 X10\r\n(TOOL 1)\r\n\r\nM30\r\n%");
    editor->setModified(false);
    auto *w = window<TForm_EDT2>("Form_EDT2");
    w->CheckBox3()->click();
    w->SpinEdit4()->setValue(10);
    w->SpinEdit5()->setValue(10);
    w->BitBtn1Click();
    QCOMPARE(lines(), QStringList({QStringLiteral("%"), QStringLiteral("O1000"), QStringLiteral("N10 G00 X0"),
                                   QStringLiteral("N20G01 X10"), QStringLiteral("N30(TOOL 1)"), QString(),
                                   QStringLiteral("N40M30"), QStringLiteral("%")}));
    QVERIFY(editor->isModified());
    const QStringList entry = lastEntry();
    QVERIFY(entry.value(0).startsWith(m_area->CurrentFileName() + QStringLiteral(" - ")));
    QVERIFY(entry.value(0).endsWith(QStringLiteral(" - Number of Blocks")));
    QCOMPARE(entry.mid(1), QStringList({QStringLiteral("Renumbered Number of Blocks of File"),
                                        QStringLiteral("Starting Number of Block  for the function : 10 - Increment "
                                                       "value for the Block of function : 10"),
                                        QStringLiteral("Function Applied across File")}));
    QVERIFY(!TForm_EDT_Progress::instance()->isVisible());
    QVERIFY(app().CancelRequested);
    QVERIFY(!w->isVisible());
    QCOMPARE(TForm_EDT_Progress::instance()->statusText(), QStringLiteral("Function Renumber Blocks in the CNC File."));
}

void tst_ToolWindows::threeLinesEndAtSixtySevenPercent()
{
    open("A\r\nB\r\nC");
    auto *w = window<TForm_EDT7>("Form_EDT7");
    w->Edit1()->setText(QStringLiteral("%"));
    w->RadioButton1()->setChecked(true);
    w->BitBtn1Click();
    QCOMPARE(lines(), QStringList({QStringLiteral("%A"), QStringLiteral("%B"), QStringLiteral("%C")}));
    QCOMPARE(TForm_EDT_Progress::instance()->Label1()->text(), QStringLiteral("67%"));
    QCOMPARE(lastEntry().value(1), QStringLiteral("Added character at the beginning of the file lines : %"));
}

void tst_ToolWindows::reversedRangeStillWritesTheEntry()
{
    CncEditor *editor = open("X1\nX2\nX3\nX4\nX5\nX6\n");
    editor->setModified(false);
    auto *w = window<TForm_EDT5>("Form_EDT5");
    w->checkBox(1)->setChecked(true);
    w->RadioButton4()->setChecked(true);
    w->SpinEdit1()->setValue(5);
    w->SpinEdit2()->setValue(3);
    w->BitBtn1Click();
    QCOMPARE(lines().first(), QStringLiteral("X1"));
    QCOMPARE(lines().at(4), QStringLiteral("X5"));
    QVERIFY(editor->isModified());
    QCOMPARE(lastEntry().mid(1), QStringList({QStringLiteral("Mirroring the \"X\" axis "),
                                              QStringLiteral("Function applied on line 5 up the line 3 of the File")}));
}

void tst_ToolWindows::oneUndoTakesTheRunBack()
{
    CncEditor *editor = open("G01 X1\r\nG01 X2\r\nG01 X3");
    const QString before = editor->allText();
    auto *w = window<TForm_EDT4>("Form_EDT4");
    w->CheckBox1()->setChecked(true);
    w->Edit1()->setText(QStringLiteral("10"));
    w->BitBtn1Click();
    QCOMPARE(lines(), QStringList({QStringLiteral("G01 X11"), QStringLiteral("G01 X12"), QStringLiteral("G01 X13")}));
    editor->undo();
    QCOMPARE(editor->allText(), before);
}

void tst_ToolWindows::editorGetsTheSameLinesAsTheCore()
{
    // Changed lines in runs and with gaps of every length, mixed breaks, and
    // text beyond ASCII: the editor must end up with the lines and the bytes
    // the core gives.
    QByteArray bytes;
    QStringList expectedLines;
    const char *const breaks[] = {"\r\n", "\n", "\r"};
    QByteArray expectedBytes;
    for (int i = 0; i < 5000; ++i) {
        const int phase = i % 500;
        const bool changes = phase < 100 || (phase < 300 && i % 7 == 0); // then 200 unchanged lines
        const QByteArray text = changes ? "G01 X" + QByteArray::number(i) + " (\xC3\xA9)" : "M" + QByteArray::number(i);
        const QByteArray mirrored = changes ? "G01 X-" + QByteArray::number(i) + " (\xC3\xA9)" : text;
        const QByteArray brk = i < 4999 ? QByteArray(breaks[(i / 3) % 3]) : QByteArray();
        bytes += text + brk;
        expectedBytes += (i == 0 ? text : mirrored) + brk; // X0 stays X0
        expectedLines << QString::fromUtf8(i == 0 ? text : mirrored);
    }
    CncEditor *editor = open(bytes);
    auto *w = window<TForm_EDT5>("Form_EDT5");
    w->checkBox(1)->setChecked(true);
    w->BitBtn1Click();
    QCOMPARE(lines(), expectedLines);
    QCOMPARE(editor->fileBytes(), expectedBytes);

    // A U+FEFF that starts a line is text (after the file's own mark, too), so a
    // rewritten line keeps it.
    editor = open("\xEF\xBB\xBF\xEF\xBB\xBFG01 X5\n\xEF\xBB\xBFG01 X6");
    w->BitBtn1Click();
    QCOMPARE(editor->fileBytes(), QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFG01 X-5\n\xEF\xBB\xBFG01 X-6"));
}

void tst_ToolWindows::conversionErrorStopsWithoutEntry()
{
    open("G01 X1\r\nG01 X1.2.3\r\nG01 X3");
    const int entries = entryCount();
    auto *w = window<TForm_EDT4>("Form_EDT4");
    w->CheckBox1()->setChecked(true);
    w->Edit1()->setText(QStringLiteral("1"));
    w->BitBtn1Click();
    QCOMPARE(lines(), QStringList({QStringLiteral("G01 X2"), QStringLiteral("G01 X1.2.3"), QStringLiteral("G01 X3")}));
    QCOMPARE(entryCount(), entries);
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QCOMPARE(m_dialogs->last().text, QStringLiteral("ERROR: Line 2: \"1.2.3\" is not a valid number."));
    QVERIFY(!TForm_EDT_Progress::instance()->isVisible());
    QVERIFY(app().CancelRequested);
}

void tst_ToolWindows::wrongIncrementNamesTheField_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("axis"); // 0 X, 1 Y, 2 Z
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::newRow("pasted comma on a point system") << "EN" << 1 << " 1,5 "
        << "ERROR: The increment of the \"Y\" axis, \"1,5\", is not a valid number.";
    QTest::newRow("German") << "DE" << 0 << "abc"
        << "FEHLER: Das Inkrement der Achse \"X\", \"abc\", ist keine gültige Zahl.";
    QTest::newRow("too large, shortened") << "EN" << 2 << ("9" + QString(4999, QLatin1Char('0')))
        << "ERROR: The increment of the \"Z\" axis, \"9" + QString(39, QLatin1Char('0'))
               + "\u2026 (5000 characters)\", is too large.";
}

void tst_ToolWindows::wrongIncrementNamesTheField()
{
    QFETCH(QString, language);
    QFETCH(int, axis);
    QFETCH(QString, field);
    QFETCH(QString, message);
    QVERIFY(Texts::runLanguageProcedure(language));
    open("G01 X1 Y1 Z1\r\nG01 X2 Y2 Z2");
    const int entries = entryCount();
    auto *w = window<TForm_EDT4>("Form_EDT4");
    QCheckBox *boxes[3] = {w->CheckBox1(), w->CheckBox2(), w->CheckBox3()};
    QLineEdit *fields[3] = {w->Edit1(), w->Edit2(), w->Edit3()};
    boxes[axis]->setChecked(true);
    fields[axis]->setText(field); // pasted: the key filter does not see it
    w->BitBtn1Click();
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QCOMPARE(m_dialogs->last().text, message);
    QCOMPARE(lines(), QStringList({QStringLiteral("G01 X1 Y1 Z1"), QStringLiteral("G01 X2 Y2 Z2")}));
    QCOMPARE(entryCount(), entries);
    QVERIFY(Texts::runLanguageProcedure(QStringLiteral("EN")));
}

void tst_ToolWindows::cancelKeepsTheLinesDoneWithoutEntry()
{
    open(QByteArray("G01X1\n").repeated(200000));
    const int entries = entryCount();
    auto *w = window<TForm_EDT1>("Form_EDT1");
    w->RadioButton2()->setChecked(true);
    // Cancel once the run has gone some way (the bar moves every 1%).
    TForm_EDT_Progress *progress = TForm_EDT_Progress::instance();
    QTimer poll;
    poll.setInterval(1);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (progress->ProgressBar1()->value() > 0) {
            poll.stop();
            progress->BitBtn3Click();
        }
    });
    poll.start();
    w->BitBtn1Click();
    const QStringList after = lines();
    QCOMPARE(after.first(), QStringLiteral(" G01 X1"));
    QCOMPARE(after.at(after.size() - 2), QStringLiteral("G01X1"));
    QCOMPARE(entryCount(), entries);
    QVERIFY(!TForm_EDT_Progress::instance()->isVisible());
}

void tst_ToolWindows::startEndRefusesWithoutAPlace()
{
    open("G01 X1");
    auto *w = window<TForm_EDT7>("Form_EDT7");
    w->Edit1()->setText(QStringLiteral(";"));
    w->BitBtn1Click();
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QCOMPARE(m_dialogs->last().text, QStringLiteral("ERROR: Please select option to add character."));
    QCOMPARE(lines(), QStringList{QStringLiteral("G01 X1")});
    QCOMPARE(w->Edit1()->text(), QStringLiteral(";"));
    QVERIFY(!w->RadioButton1()->isChecked() && !w->RadioButton2()->isChecked());
}

void tst_ToolWindows::textWithBreaksGivesTheCommandLineResult_data()
{
    QTest::addColumn<QByteArray>("lineBreak");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("atStart");
    QTest::addColumn<int>("firstLine"); // 0: the whole file
    QTest::addColumn<int>("lastLine");

    // Long enough for the editor to write the run in several blocks.
    QTest::newRow("percent and CR LF at the start") << QByteArray("\r\n") << QStringLiteral("%\r\n") << true << 0 << 0;
    QTest::newRow("CR LF at the end of LF lines") << QByteArray("\n") << QStringLiteral(";\r\n") << false << 0 << 0;
    QTest::newRow("a CR meets the LF after it") << QByteArray("\n") << QStringLiteral(";\r") << false << 0 << 0;
    QTest::newRow("an LF meets the CR before it") << QByteArray("\r") << QStringLiteral("\n(") << true << 0 << 0;
    QTest::newRow("two breaks, on a range") << QByteArray("\r\n") << QStringLiteral("(A)\r\n\r\n") << true << 7
                                            << 230000;
}

// A text that holds line breaks adds lines: the lines after it must still be
// the program's own, once each and in their order, exactly as the command line
// writes them; and one undo brings the program back.
void tst_ToolWindows::textWithBreaksGivesTheCommandLineResult()
{
    QFETCH(QByteArray, lineBreak);
    QFETCH(QString, text);
    QFETCH(bool, atStart);
    QFETCH(int, firstLine);
    QFETCH(int, lastLine);

    QByteArray program;
    for (int i = 1; i <= 250000; ++i)
        program += "G01 X" + QByteArray::number(100000 + i) + (i % 9 == 0 ? "" : " Y1") + lineBreak;
    program += "M30";
    const QString path = m_dir.filePath(QStringLiteral("BIG.NC"));
    TestSupport::writeBytes(path, program);

    QStringList arguments{QStringLiteral("addchar"), QStringLiteral("--text"), text,
                          atStart ? QStringLiteral("--start") : QStringLiteral("--end")};
    if (firstLine > 0)
        arguments << QStringLiteral("--lines") << QStringLiteral("%1:%2").arg(firstLine).arg(lastLine);
    const QString output = m_dir.filePath(QStringLiteral("OUT.NC"));
    arguments << path << QStringLiteral("-o") << output;
    QCOMPARE(QProcess::execute(QStringLiteral(ZAVRIN_CNC_PATH), arguments), 0);
    const QByteArray expected = TestSupport::readBytes(output);
    QVERIFY(expected.size() > program.size());

    m_area->FUNC_Abrir_Arquivo(path);
    CncEditor *editor = m_area->CurrentEditor();
    auto *w = window<TForm_EDT7>("Form_EDT7");
    w->Edit1()->setText(text);
    QCOMPARE(w->Edit1()->text(), text);
    (atStart ? w->RadioButton1() : w->RadioButton2())->setChecked(true);
    w->RadioButton4()->setChecked(firstLine > 0);
    w->RadioButton3()->setChecked(firstLine == 0);
    w->SpinEdit1()->setValue(std::max(firstLine, 1));
    w->SpinEdit2()->setValue(std::max(lastLine, 1));
    w->BitBtn1Click();
    QCOMPARE(lastEntry().value(0).right(23), QStringLiteral("Add Character Start\\End"));
    const QByteArray result = editor->fileBytes();
    if (result != expected) {
        qsizetype at = 0;
        while (at < result.size() && at < expected.size() && result[at] == expected[at])
            ++at;
        QFAIL(qPrintable(QStringLiteral("the editor's text differs from byte %1: \"%2\" against \"%3\"")
                             .arg(at)
                             .arg(QString::fromLatin1(result.mid(at, 40).toPercentEncoding(" ")),
                                  QString::fromLatin1(expected.mid(at, 40).toPercentEncoding(" ")))));
    }
    editor->undo();
    QCOMPARE(editor->fileBytes(), program);
}

void tst_ToolWindows::helpButtonOpensThePage()
{
    auto *w = window<TForm_EDT7>("Form_EDT7");
    emit static_cast<Ribbon *>(w->findChild<QWidget *>(QStringLiteral("Ribbon1")))->helpRequested();
    QVERIFY(m_shell->helpPages.value(0).endsWith(QStringLiteral("func05.12.html")));
}

QTEST_MAIN(tst_ToolWindows)
#include "tst_toolwindows.moc"
