// The program view beside an editor, offscreen: it follows the text, the
// caret highlights the caret line's segments, a click on the path puts the
// caret on the line that made the segment, and programs without motion
// show why.
#include "view/ProgramViewPanel.h"

#include "app/AppState.h"

#include "editor/CncEditor.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"

#include "TestSupport.h"

#include <cmath>

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

QString program(std::initializer_list<const char *> lines)
{
    QStringList out;
    for (const char *l : lines)
        out << QString::fromLatin1(l);
    return out.join(QLatin1Char('\n'));
}

// A square of 10 on lines 2 to 5, an arc on line 6.
const char *const Square[] = {"G90 G0 X0 Y0 Z0", "G1 X10 F100", "Y10", "X0", "Y0", "G2 X-10 Y0 R5"};

} // namespace

class TestProgramView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void caretLineIsHighlighted_data();
    void caretLineIsHighlighted();
    void clickPutsTheCaretOnTheSegmentsLine_data();
    void clickPutsTheCaretOnTheSegmentsLine();
    void clickAwayFromThePathLeavesTheCaret();
    void programsWithoutMotionSayWhy_data();
    void programsWithoutMotionSayWhy();
    void editsAndToolRunsAreFollowed();
    void rapidRateSetsTheEstimate();
    void newerTextWins();
    void exportWritesThePicture_data();
    void exportWritesThePicture();
    void exportCancelledOrFailing();
    void newProgramOpensInItsView_data();
    void newProgramOpensInItsView();
    void settingsAreRememberedPerFolder();
    void refusedSettingsWriteIsShown();

private:
    bool waitForPath()
    {
        QSignalSpy shown(m_panel, &ProgramViewPanel::pathShown);
        return shown.wait(10000);
    }
    void load(const QString &text)
    {
        m_editor->setText(text);
        m_panel->refresh();
        QVERIFY(waitForPath());
    }

    CncEditor *m_editor = nullptr;
    ProgramViewPanel *m_panel = nullptr;
    QTemporaryDir m_appDir; // Zavrin.ini of the run
};

void TestProgramView::init()
{
    TestSupport::resetAppState();
    QFile::remove(m_appDir.filePath(QStringLiteral("Zavrin.ini")));
    app().AppDirectory = m_appDir.path() + QLatin1Char('/');
    Texts::FUNC_Textos_EN();
    m_editor = new CncEditor;
    m_editor->resize(400, 300);
    m_editor->show(); // the control tells of caret moves as it updates its window
    m_panel = new ProgramViewPanel;
    m_panel->resize(600, 500);
    m_panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_panel));
    m_panel->setEditor(m_editor);
    QStringList lines;
    for (const char *l : Square)
        lines << QString::fromLatin1(l);
    load(lines.join(QLatin1Char('\n')));
}

void TestProgramView::cleanup()
{
    delete m_panel;
    delete m_editor;
}

void TestProgramView::caretLineIsHighlighted_data()
{
    QTest::addColumn<int>("caretLine");
    QTest::addColumn<int>("highlighted");
    QTest::newRow("first side") << 2 << 2;
    QTest::newRow("arc") << 6 << 6;
    QTest::newRow("back to the start") << 1 << 1;
}

void TestProgramView::caretLineIsHighlighted()
{
    QFETCH(int, caretLine);
    QFETCH(int, highlighted);
    m_editor->setCursorPosition(caretLine - 1, 0);
    QTRY_COMPARE(m_panel->canvas()->highlightLine(), highlighted);
    const auto segments = m_panel->canvas()->path()->segmentsOfLine(highlighted);
    QVERIFY(segments.second > segments.first);
}

void TestProgramView::clickPutsTheCaretOnTheSegmentsLine_data()
{
    QTest::addColumn<QList<double>>("modelPoint");
    QTest::addColumn<int>("line");
    // Middles of the sides of the square, and the lowest point of the arc.
    QTest::newRow("bottom side") << QList<double>{5, 0, 0} << 2;
    QTest::newRow("right side") << QList<double>{10, 5, 0} << 3;
    QTest::newRow("top side") << QList<double>{5, 10, 0} << 4;
    QTest::newRow("left side, above the arc") << QList<double>{0, 5, 0} << 5;
    QTest::newRow("arc, clockwise below its chord") << QList<double>{-5, -5, 0} << 6;
}

void TestProgramView::clickPutsTheCaretOnTheSegmentsLine()
{
    QFETCH(QList<double>, modelPoint);
    QFETCH(int, line);
    m_editor->setCursorPosition(0, 0);
    ToolpathCanvas *canvas = m_panel->canvas();
    const double p[3] = {modelPoint[0], modelPoint[1], modelPoint[2]};
    // A few pixels off the path still picks it.
    const QPoint at = canvas->project(p).toPoint() + QPoint(2, 2);
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, at);
    int caretLine = 0, index = 0;
    m_editor->getCursorPosition(&caretLine, &index);
    QCOMPARE(caretLine + 1, line);
    QTRY_COMPARE(canvas->highlightLine(), line);
}

void TestProgramView::clickAwayFromThePathLeavesTheCaret()
{
    m_editor->setCursorPosition(2, 0);
    ToolpathCanvas *canvas = m_panel->canvas();
    const double p[3] = {5, 5, 0}; // the middle of the square
    QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, canvas->project(p).toPoint());
    int caretLine = 0, index = 0;
    m_editor->getCursorPosition(&caretLine, &index);
    QCOMPARE(caretLine, 2);
    // A drag pans and selects nothing.
    const double corner[3] = {0, 0, 0};
    const QPointF before = canvas->project(corner);
    const QPoint from = canvas->project(p).toPoint();
    QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(60, 0)), canvas->mapToGlobal(QPointF(from + QPoint(60, 0))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &move);
    QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, from + QPoint(60, 0));
    m_editor->getCursorPosition(&caretLine, &index);
    QCOMPARE(caretLine, 2);
    QVERIFY(std::abs(canvas->project(corner).x() - (before.x() + 60)) < 1e-6);
}

void TestProgramView::programsWithoutMotionSayWhy_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("messageKey");
    QTest::newRow("empty") << QString() << "Extra.ViewEmpty";
    QTest::newRow("only comments") << program({"(just a note)", "(another)"}) << "Extra.ViewNoMotion";
    QTest::newRow("no motion") << program({"%", "O1000", "G21 G90 G17", "M30", "%"}) << "Extra.ViewNoMotion";
    QTest::newRow("stops on the first move") << program({"G0 X#1"}) << "Extra.ViewStopped";
}

void TestProgramView::programsWithoutMotionSayWhy()
{
    QFETCH(QString, text);
    QFETCH(QString, messageKey);
    load(text);
    const QString message = m_panel->canvas()->message();
    QVERIFY(!message.isEmpty());
    if (messageKey == QLatin1String("Extra.ViewStopped"))
        QVERIFY2(message.startsWith(Texts::extra(messageKey).arg(1).left(20)), qPrintable(message));
    else
        QCOMPARE(message, Texts::extra(messageKey));
    QVERIFY(m_panel->figuresText().isEmpty());
    // Nothing to click on.
    QCOMPARE(m_panel->canvas()->lineAt(QPointF(300, 200)), 0);
}

void TestProgramView::editsAndToolRunsAreFollowed()
{
    QCOMPARE(m_panel->canvas()->path()->extents.max[0], 10.0);
    // Typing: redrawn after the pause.
    m_editor->setCursorPosition(1, 5);
    m_editor->insert(QStringLiteral("0")); // X10 becomes X100
    QVERIFY(waitForPath());
    QCOMPARE(m_panel->canvas()->path()->extents.max[0], 100.0);
    // A tool run's bulk change.
    m_editor->beginBulkChange();
    m_editor->replaceLine(1, QStringLiteral("G1 X20 F100"));
    m_editor->endBulkChange();
    QVERIFY(waitForPath());
    QCOMPARE(m_panel->canvas()->path()->extents.max[0], 20.0);
    // Undo.
    m_editor->undo();
    QVERIFY(waitForPath());
    QCOMPARE(m_panel->canvas()->path()->extents.max[0], 100.0);
}

void TestProgramView::rapidRateSetsTheEstimate()
{
    // 5 mm of rapids and 45 mm at F100: 0.45 min plus 5 / rate.
    load(program({"G0 X0 Y0 Z0", "G0 Z5", "G1 Z0 F100", "X10", "Y10", "X0", "Y0"}));
    auto *rate = m_panel->findChild<QDoubleSpinBox *>(QStringLiteral("ViewRapidRate"));
    QVERIFY(rate);
    QCOMPARE(m_panel->canvas()->path()->rapidMinutes, 5 / 5000.0);
    rate->setValue(50);
    QVERIFY(waitForPath());
    QCOMPARE(m_panel->canvas()->path()->rapidMinutes, 0.1);
    QVERIFY2(m_panel->figuresText().contains(QStringLiteral("0.55 min")), qPrintable(m_panel->figuresText()));
}

void TestProgramView::newerTextWins()
{
    // A large program is still being read when a small one replaces it.
    QString big;
    for (int i = 0; i < 200000; ++i)
        big += QStringLiteral("G1 X%1 Y%2 F100\n").arg(i % 100).arg(i / 100);
    m_editor->setText(big);
    m_panel->refresh();
    m_editor->setText(program({"G0 X0 Y0 Z0", "G1 X3 F10"}));
    m_panel->refresh();
    QVERIFY(waitForPath());
    QTest::qWait(300);
    QCOMPARE(m_panel->canvas()->path()->extents.max[0], 3.0);
    QCOMPARE(int(m_panel->canvas()->path()->segments.size()), 2);
}

void TestProgramView::newProgramOpensInItsView_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("view");
    QTest::newRow("milling") << program({"G0 X0 Y0 Z5", "G1 Z-1 F100", "X10 Y4"}) << int(ToolpathCanvas::View::Top);
    QTest::newRow("turning") << program({"G18 G0 X10 Z2", "G1 Z-20 F0.2", "G2 X14 Z-22 I2 K0"})
                             << int(ToolpathCanvas::View::Lathe);
    QTest::newRow("no Y, no arcs") << program({"G0 X0 Z5", "G1 Z-1 F100", "X10"}) << int(ToolpathCanvas::View::Front);
}

void TestProgramView::newProgramOpensInItsView()
{
    QFETCH(QString, text);
    QFETCH(int, view);
    CncEditor other;
    other.setText(text);
    m_panel->setEditor(&other);
    QVERIFY(waitForPath());
    QCOMPARE(int(m_panel->canvas()->view()), view);
    // The whole path is in the widget.
    const Toolpath &path = *m_panel->canvas()->path();
    for (size_t i = 0; i < path.segments.size(); ++i)
        QVERIFY(m_panel->canvas()->rect().contains(m_panel->canvas()->project(path.segmentEnd(i).x).toPoint()));
    m_panel->setEditor(m_editor);
}

void TestProgramView::settingsAreRememberedPerFolder()
{
    const QString mill = QDir::cleanPath(m_appDir.filePath(QStringLiteral("mill")));
    const QString lathe = QDir::cleanPath(m_appDir.filePath(QStringLiteral("lathe")));
    auto *absolute = m_panel->findChild<QCheckBox *>(QStringLiteral("ViewAbsoluteIJ"));
    auto *diameter = m_panel->findChild<QCheckBox *>(QStringLiteral("ViewDiameter"));
    auto *rate = m_panel->findChild<QDoubleSpinBox *>(QStringLiteral("ViewRapidRate"));
    m_panel->setEditor(m_editor, mill + QStringLiteral("/a.nc"));
    QVERIFY(waitForPath());
    absolute->setChecked(true);
    QVERIFY(waitForPath());
    m_panel->setEditor(m_editor, lathe + QStringLiteral("/b.nc"));
    QVERIFY(waitForPath());
    QVERIFY(!absolute->isChecked()); // another folder, its own (default) setting
    diameter->setChecked(true);
    QVERIFY(waitForPath());
    rate->setValue(9000);
    QVERIFY(waitForPath());
    // Back to the first folder: its setting applies to the reading.
    m_panel->setEditor(m_editor, mill + QStringLiteral("/c.nc"));
    QVERIFY(waitForPath());
    QVERIFY(absolute->isChecked());
    QVERIFY(!diameter->isChecked());
    QVERIFY(m_panel->options().absoluteArcCentres);
    QVERIFY(!m_panel->options().xIsDiameter);

    // A new panel (a new run) reads them back.
    ProgramViewPanel again;
    QCOMPARE(again.options().rapidRate, 9000.0);
    again.setEditor(m_editor, lathe + QStringLiteral("/b.nc"));
    QCOMPARE(again.folder(), lathe);
    QVERIFY(!again.options().absoluteArcCentres);
    QVERIFY(again.options().xIsDiameter);
    again.setEditor(m_editor, mill + QStringLiteral("/a.nc"));
    QVERIFY(again.options().absoluteArcCentres);
    QVERIFY(!again.options().xIsDiameter);
    again.setEditor(nullptr);
    QVERIFY(!again.findChild<QLabel *>(QStringLiteral("ViewSettingsError"))->isVisibleTo(&again));
}

void TestProgramView::refusedSettingsWriteIsShown()
{
    // A folder in the place of Zavrin.ini: every write is refused.
    const QString ini = app().mainSettingsPath();
    QVERIFY(QDir().mkdir(ini));
    ProgramViewPanel panel;
    panel.setEditor(m_editor, m_appDir.filePath(QStringLiteral("mill/a.nc")));
    auto *absolute = panel.findChild<QCheckBox *>(QStringLiteral("ViewAbsoluteIJ"));
    auto *error = panel.findChild<QLabel *>(QStringLiteral("ViewSettingsError"));
    absolute->setChecked(true);
    QDir().rmdir(ini);
    QVERIFY(error->isVisibleTo(&panel));
    QVERIFY2(error->text().contains(ini), qPrintable(error->text()));
    QVERIFY(panel.options().absoluteArcCentres); // holds for the run
    panel.setEditor(m_editor, m_appDir.filePath(QStringLiteral("lathe/b.nc")));
    panel.setEditor(m_editor, m_appDir.filePath(QStringLiteral("mill/a.nc")));
    QVERIFY(absolute->isChecked());
    // The next write that succeeds clears the line.
    absolute->setChecked(false);
    QVERIFY(!error->isVisibleTo(&panel));
    panel.setEditor(nullptr);
}

void TestProgramView::exportWritesThePicture_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << QStringLiteral("view.png");
    QTest::newRow("svg") << QStringLiteral("view.SVG");
}

void TestProgramView::exportWritesThePicture()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    ScriptedDialogs scripted;
    setDialogs(&scripted);
    scripted.answerPath(path);
    m_panel->exportPicture();
    setDialogs(nullptr);
    QCOMPARE(scripted.calls().size(), 1);
    QCOMPARE(scripted.last().kind, QStringLiteral("saveFile"));
    const QByteArray bytes = TestSupport::readBytes(path);
    const QSize size = m_panel->canvas()->size();
    if (name.endsWith(QLatin1String(".png"))) {
        const QImage image = QImage::fromData(bytes, "PNG");
        QCOMPARE(image.size(), size);
        // The square's bottom side is drawn in the feed colour.
        const double p[3] = {5, 0, 0};
        const QPoint at = m_panel->canvas()->project(p).toPoint();
        // A line on a half pixel lands on the pixel either side of the point.
        const QPointF exact = m_panel->canvas()->project(p);
        const int y = int(std::floor(exact.y()));
        QVERIFY2(image.pixelColor(at.x(), y) == QColor(20, 60, 160) || image.pixelColor(at.x(), y + 1) == QColor(20, 60, 160),
                 qPrintable(QStringLiteral("at %1,%2").arg(exact.x()).arg(exact.y())));
    } else {
        QXmlStreamReader xml(bytes);
        int polylines = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("polyline"))
                ++polylines;
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(polylines >= 2); // the rapid and the feed moves at least
        QVERIFY(bytes.contains("width=\"" + QByteArray::number(size.width()) + '"'));
    }
}

void TestProgramView::exportCancelledOrFailing()
{
    QTemporaryDir dir;
    ScriptedDialogs scripted;
    setDialogs(&scripted);
    scripted.answerPath(QString()); // cancelled
    m_panel->exportPicture();
    QCOMPARE(scripted.calls().size(), 1);
    QVERIFY(QDir(dir.path()).isEmpty());
    // A folder that does not exist: the error box names the file.
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/view.png"));
    scripted.answerPath(missing);
    m_panel->exportPicture();
    setDialogs(nullptr);
    QCOMPARE(scripted.last().kind, QStringLiteral("error"));
    QVERIFY2(scripted.last().text.contains(missing), qPrintable(scripted.last().text));
}

QTEST_MAIN(TestProgramView)
#include "tst_programview.moc"
