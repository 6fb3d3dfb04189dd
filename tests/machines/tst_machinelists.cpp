#include "StartWindows.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "files/BrowserArea.h"
#include "lang/ApplyLanguage.h"
#include "machines/DatabaseSchema.h"
#include "machines/ImagesWindow.h"
#include "machines/MachineList.h"
#include "machines/MachineListArea.h"
#include "machines/MachineListView.h"
#include "machines/MachinePictures.h"
#include "machines/MachineRowDelegate.h"
#include "machines/SelectMachineWindow.h"
#include "platform/Paths.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "platform/SystemFormats.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

struct Row
{
    Row(const QString &n, const QString &d, const QString &t = QStringLiteral("DIRLOCAL"), const QVariant &p = 1,
        const QString &dir = QString())
        : number(n), description(d), type(t), picture(p), directory(dir)
    {
    }
    QString number;
    QString description;
    QString type;
    QVariant picture;
    QString directory;
};

// Machines written straight into a new database file, with a directory
// parameter row each and fixed dates.
void writeMachines(const QString &path, const QList<Row> &rows)
{
    DatabaseSchema::createDatabase(path, false);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        for (const Row &r : rows) {
            q.prepare(QStringLiteral("INSERT INTO ZVRD_MAQUINAS (NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,"
                                     "DIR_PROGRAMAS,DATA_CRIACAO,DATA_ALTERACAO) VALUES (?,?,?,?,?,?,?)"));
            q.addBindValue(r.number);
            q.addBindValue(r.description);
            q.addBindValue(r.type);
            q.addBindValue(r.picture);
            q.addBindValue(r.directory);
            q.addBindValue(QDateTime(QDate(2021, 3, 5), QTime(14, 7, 9)));
            q.addBindValue(QDateTime(QDate(2022, 11, 30), QTime(0, 0)));
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            const QVariant id = q.lastInsertId();
            q.prepare(QStringLiteral("INSERT INTO ZVRD_PATH (ID_MAQUINA,PATH_DIR) VALUES (?,?)"));
            q.addBindValue(id);
            q.addBindValue(QStringLiteral("/machines/") + r.number);
            QVERIFY(q.exec());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
}

int countRows(const QString &path, const QString &table)
{
    int n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(QStringLiteral("SELECT COUNT(*) FROM ") + table, db);
        if (q.next())
            n = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return n;
}

// What a double click delivers: press, release, press, double click, release.
void doubleClick(QWidget *w, const QPoint &at)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &dbl);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

QStringList numbers(const MachineList *list)
{
    QStringList n;
    for (const MachineRecord &m : list->rows())
        n << m.number;
    return n;
}

} // namespace

class tst_MachineLists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pictureNumbers_data();
    void pictureNumbers();
    void filter_data();
    void filter();
    void clearEmptiesBothBoxes();
    void filterFailureLeavesListClosed();
    void deleteAnsweredNoChangesNothing();
    void deleteAnsweredYesLeavesParameterRowsAndSelection();
    void deleteWithoutRowTellsUser();
    void startupSelectsFirstMachine();
    void emptyDatabaseLeavesDashes();
    void selection_data();
    void selection();
    void selectionMovesFilteredCursorToSamePosition();
    void selectWindowSelectsChosenMachine();
    void selectWindowCancelAndEmptyList();
    void selectWindowFilter_data();
    void selectWindowFilter();
    void cursorFollowsKeysAndMouse();
    void captionsAndDatesReachThePanels();

private:
    TForm_Main *start(const QList<Row> &rows, const char *language = "EN");
    QString dbPath() const { return m_dir->filePath(QStringLiteral("machines.db")); }
    void search(const QString &name, const QString &number);
    template <typename T> T *control(const char *name) { return m_main->findChild<T *>(QLatin1String(name)); }
    QString panelText(const char *label) { return control<QLabel>(label)->text(); }
    MachineListView *listView() { return m_main->findChild<MachineListView *>(QStringLiteral("MachineListView1")); }

    QTemporaryDir *m_dir = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    ScriptedShell *m_shell = nullptr;
    TForm_Main *m_main = nullptr;
};

void tst_MachineLists::init()
{
    TestSupport::resetAppState();
    SystemFormats::setShortDateFormat(QStringLiteral("dd/MM/yyyy"));
    SystemFormats::setLongTimeFormat(QStringLiteral("HH:mm:ss"));
    m_dir = new QTemporaryDir;
    m_dialogs = new ScriptedDialogs;
    m_shell = new ScriptedShell;
}

void tst_MachineLists::cleanup()
{
    Application::destroyWindows();
    m_main = nullptr;
    delete m_shell;
    delete m_dialogs;
    delete m_dir;
}

TForm_Main *tst_MachineLists::start(const QList<Row> &rows, const char *language)
{
    writeMachines(dbPath(), rows);
    TestSupport::writeBytes(m_dir->filePath(QStringLiteral("Zavrin.ini")),
                            "[DIRBD]\r\nVALUE=" + dbPath().toUtf8() + "\r\n[LANGUAGE]\r\nVALUE=" + language + "\r\n");
    m_main = startWindows(m_dir->path());
    m_main->ribbonPages()->setCurrentIndex(1);
    return m_main;
}

void tst_MachineLists::search(const QString &name, const QString &number)
{
    control<QLineEdit>("Edit3")->setText(name);
    control<QLineEdit>("Edit4")->setText(number);
    control<QPushButton>("Button2")->click();
}

void tst_MachineLists::pictureNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("7") << "7" << 7;
    QTest::newRow("8") << "8" << 0;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("leading zero") << "01" << 0;
    QTest::newRow("blank") << " 1" << 0;
    QTest::newRow("arabic-indic one") << QString(QChar(0x0661)) << 0;
}

void tst_MachineLists::pictureNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(MachinePictures::pictureNumber(text), number);
    const QPixmap picture = TForm_Imagens::machinePicture(text);
    QCOMPARE(picture.isNull(), number == 0);
    if (number)
        QCOMPARE(picture.size(), QSize(320, 320));
}

void tst_MachineLists::filter_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("expected");
    const QStringList all{"10", "110", "20", "310", "410"};
    QTest::newRow("number contains 10") << "" << "10" << QStringList{"10", "110", "310", "410"};
    QTest::newRow("name, any letter case") << "lathe" << "" << QStringList{"110", "310"};
    QTest::newRow("both boxes narrow together") << "LATHE" << "31" << QStringList{"310"};
    QTest::newRow("blanks only are empty") << "   " << " \t " << all;
    QTest::newRow("blanks around the text are trimmed") << "  mill " << "" << QStringList{"10", "20"};
    QTest::newRow("percent is a wildcard") << "vertical%mill" << "" << QStringList{"10"};
    QTest::newRow("underscore is a wildcard") << "" << "_10" << QStringList{"110", "310", "410"};
    QTest::newRow("double quote matches itself") << "5\" chuck" << "" << QStringList{"310"};
    QTest::newRow("single quote matches itself") << "o'brien" << "" << QStringList{"410"};
    QTest::newRow("nothing matches") << "router" << "" << QStringList{};
}

void tst_MachineLists::filter()
{
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QStringList, expected);
    start({{"310", "Lathe 5\" chuck"},
           {"10", "Vertical Mill"},
           {"110", "CNC Lathe"},
           {"20", "Gantry mill"},
           {"410", "O'Brien robot"}});
    QCOMPARE(numbers(filteredMachineList()), (QStringList{"10", "110", "20", "310", "410"}));
    search(name, number);
    QVERIFY2(m_dialogs->messages().isEmpty(), qPrintable(m_dialogs->messages().join(QLatin1Char('|'))));
    QCOMPARE(numbers(filteredMachineList()), expected);
    QVERIFY(filteredMachineList()->isOpen());
    QCOMPARE(filteredMachineList()->position(), expected.isEmpty() ? 0 : 1);
    QCOMPARE(listView()->model()->rowCount(), expected.size());
}

void tst_MachineLists::clearEmptiesBothBoxes()
{
    start({{"1", "A"}, {"2", "B"}, {"3", "C"}});
    search(QStringLiteral("B"), QStringLiteral("2"));
    QCOMPARE(numbers(filteredMachineList()), QStringList{"2"});
    control<QPushButton>("Button3")->click();
    QCOMPARE(control<QLineEdit>("Edit3")->text(), QString());
    QCOMPARE(control<QLineEdit>("Edit4")->text(), QString());
    QCOMPARE(numbers(filteredMachineList()), (QStringList{"1", "2", "3"}));
}

void tst_MachineLists::filterFailureLeavesListClosed()
{
    start({{"1", "A"}, {"2", "B"}});
    // A lost connection: the engine's error is shown and the list is left closed.
    QSqlDatabase::database(QStringLiteral("ADOConnection1"), false).close();
    search(QString(), QString());
    QCOMPARE(m_dialogs->calls().size(), 1);
    QCOMPARE(m_dialogs->last().kind, QStringLiteral("error"));
    QVERIFY(!filteredMachineList()->isOpen());
    QCOMPARE(filteredMachineList()->rowCount(), 0);
    QCOMPARE(app().EditMachineId, QString());
    // Delete on a closed list does nothing at all.
    control<QToolButton>("SpeedButton8")->click();
    QCOMPARE(m_dialogs->calls().size(), 1);
}

void tst_MachineLists::deleteAnsweredNoChangesNothing()
{
    start({{"1", "Mill"}, {"2", "Lathe"}});
    filteredMachineList()->setPosition(2);
    m_dialogs->answer(Dialogs::No);
    control<QToolButton>("SpeedButton8")->click();
    QCOMPARE(m_dialogs->messages(),
             QStringList{QStringLiteral("QUESTION: Would You Like to Delete the machine below the \"Zavrin\" System "
                                        "?\rMachine Number: 2\rMachine Name: Lathe")});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Question);
    QCOMPARE(m_dialogs->last().buttons, int(Dialogs::Yes | Dialogs::No));
    QCOMPARE(numbers(filteredMachineList()), (QStringList{"1", "2"}));
    QCOMPARE(filteredMachineList()->position(), 2);
    QCOMPARE(countRows(dbPath(), QStringLiteral("ZVRD_MAQUINAS")), 2);
}

void tst_MachineLists::deleteAnsweredYesLeavesParameterRowsAndSelection()
{
    start({{"1", "Mill", "DIRLOCAL", 3}, {"2", "Lathe"}, {"3", "Robot"}});
    const QString selectedId = app().SelectedMachineId;
    search(QStringLiteral("Mill"), QString());
    QCOMPARE(numbers(filteredMachineList()), QStringList{"1"});
    m_dialogs->answer(Dialogs::Yes);
    control<QToolButton>("SpeedButton8")->click();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(countRows(dbPath(), QStringLiteral("ZVRD_MAQUINAS")), 2);
    QCOMPARE(countRows(dbPath(), QStringLiteral("ZVRD_PATH")), 3);
    // The boxes are cleared and the list shows every remaining machine.
    QCOMPARE(control<QLineEdit>("Edit3")->text(), QString());
    QCOMPARE(numbers(filteredMachineList()), (QStringList{"2", "3"}));
    QCOMPARE(app().EditMachineId, filteredMachineList()->rows().first().id);
    // The deleted machine stays the selected one until the next selection.
    QCOMPARE(app().SelectedMachineId, selectedId);
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("1"));
    QCOMPARE(panelText("Label2"), QStringLiteral("1"));
    QCOMPARE(panelText("Label4"), QStringLiteral("Mill"));
    QVERIFY(!control<QLabel>("Image2")->pixmap().isNull());
}

void tst_MachineLists::deleteWithoutRowTellsUser()
{
    start({{"1", "Mill"}});
    search(QStringLiteral("nothing like this"), QString());
    control<QToolButton>("SpeedButton8")->click();
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("INFORMATION: Please select Machine to Delete.")});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Information);
    QCOMPARE(countRows(dbPath(), QStringLiteral("ZVRD_MAQUINAS")), 1);
}

void tst_MachineLists::startupSelectsFirstMachine()
{
    const QString folder = m_dir->filePath(QStringLiteral("programs/M2"));
    QVERIFY(QDir().mkpath(folder));
    start({{"2", "Horizontal Centre", "FTP", 2, QDir::toNativeSeparators(folder)}, {"5", "Lathe", "SERIAL232", 4}});
    QVERIFY(m_dialogs->messages().isEmpty());
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("2"));
    QCOMPARE(app().SelectedMachineDescription, QStringLiteral("Horizontal Centre"));
    QCOMPARE(app().SelectedTransferType, QStringLiteral("FTP"));
    QCOMPARE(app().SelectedPictureId, QStringLiteral("2"));
    QCOMPARE(app().SelectedMachineId, allMachineList()->rows().first().id);
    QCOMPARE(app().SelectedProgramDirectory, QDir::toNativeSeparators(folder) + Paths::separator());
    QCOMPARE(panelText("Label2"), QStringLiteral("2"));
    QCOMPARE(panelText("Label4"), QStringLiteral("Horizontal Centre"));
    QCOMPARE(panelText("Label9"), QDir::toNativeSeparators(folder));
    QCOMPARE(panelText("Label11"), QStringLiteral("FTP"));
    QCOMPARE(control<QLabel>("Image2")->pixmap().toImage(), TForm_Imagens::machinePicture(2).toImage());
    QCOMPARE(QDir(currentBrowserFolder()).canonicalPath(), QDir(folder).canonicalPath());
    QCOMPARE(app().EditMachineId, app().SelectedMachineId);
    QCOMPARE(filteredMachineList()->position(), 1);
}

void tst_MachineLists::emptyDatabaseLeavesDashes()
{
    start({});
    QVERIFY(m_dialogs->messages().isEmpty());
    for (const char *label : {"Label2", "Label4", "Label9", "Label11"})
        QCOMPARE(panelText(label), QStringLiteral("--------------------"));
    QVERIFY(control<QLabel>("Image2")->pixmap().isNull());
    QCOMPARE(app().SelectedMachineId, QString());
    QCOMPARE(app().SelectedProgramDirectory, QString());
    QCOMPARE(app().EditMachineId, QString());
    QVERIFY(filteredMachineList()->isOpen());
    QCOMPARE(filteredMachineList()->position(), 0);
}

void tst_MachineLists::selection_data()
{
    QTest::addColumn<QVariant>("picture");
    QTest::addColumn<bool>("hasPicture");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("browses");
    const QString sep = Paths::separator();
    QTest::newRow("picture 7, missing folder without separator")
        << QVariant(7) << true << "D:\\CNC\\M1" << "D:\\CNC\\M1" + sep << false;
    // A relative folder is in the application folder (@app).
    QTest::newRow("picture 8 shows none") << QVariant(8) << false << "M" + sep << "@appM" + sep << false;
    QTest::newRow("empty picture shows none") << QVariant(QString()) << false << "x" << "@appx" + sep << false;
    QTest::newRow("empty folder becomes the separator") << QVariant(1) << true << "" << sep << true;
    QTest::newRow("existing folder") << QVariant(5) << true << "@existing" << "@existing" + sep << true;
    QTest::newRow("relative existing folder") << QVariant(5) << true << "programs" << "@existing" + sep << true;
}

void tst_MachineLists::selection()
{
    QFETCH(QVariant, picture);
    QFETCH(bool, hasPicture);
    QFETCH(QString, directory);
    QFETCH(QString, selected);
    QFETCH(bool, browses);
    const QString existing = QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("programs")));
    QVERIFY(QDir().mkpath(existing));
    const QString parked = QDir::toNativeSeparators(m_dir->filePath(QStringLiteral("parked")));
    QVERIFY(QDir().mkpath(parked));
    directory.replace(QStringLiteral("@existing"), existing);
    selected.replace(QStringLiteral("@existing"), existing);
    selected.replace(QStringLiteral("@app"), TestSupport::folder(m_dir->path()));
    start({{"1", "First"}, {"2", "Second", "DIRNET", picture, directory}});
    browseTo(parked);
    FUNC_Selecionar_Maquina(2);
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("2"));
    QCOMPARE(app().SelectedPictureId, picture.toString());
    QCOMPARE(app().SelectedProgramDirectory, selected);
    QCOMPARE(panelText("Label9"), directory);
    QCOMPARE(!control<QLabel>("Image2")->pixmap().isNull(), hasPicture);
    const QString shown = QDir(currentBrowserFolder()).canonicalPath();
    QCOMPARE(shown, QDir(browses ? selected : parked).canonicalPath());
}

void tst_MachineLists::selectionMovesFilteredCursorToSamePosition()
{
    start({{"1", "Mill A"}, {"2", "Lathe"}, {"3", "Mill B"}, {"4", "Mill C"}});
    search(QStringLiteral("Mill"), QString());
    QCOMPARE(numbers(filteredMachineList()), (QStringList{"1", "3", "4"}));
    FUNC_Selecionar_Maquina(2);
    // Position 2 of the "Machines" page holds another machine than the selected one.
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("2"));
    QCOMPARE(filteredMachineList()->position(), 2);
    QCOMPARE(filteredMachineList()->current()->number, QStringLiteral("3"));
    QCOMPARE(app().EditMachineId, filteredMachineList()->current()->id);
    // A shorter filtered list keeps its cursor on its last row.
    FUNC_Selecionar_Maquina(4);
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("4"));
    QCOMPARE(filteredMachineList()->position(), 3);
    // A position the all-machines list does not have changes nothing.
    FUNC_Selecionar_Maquina(9);
    FUNC_Selecionar_Maquina(0);
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("4"));
}

void tst_MachineLists::selectWindowSelectsChosenMachine()
{
    start({{"1", "Mill"}, {"2", "Lathe"}});
    auto *window = qobject_cast<TForm_Selecionar_Maquina *>(Application::window(QStringLiteral("Form_Selecionar_Maquina")));
    QVERIFY(window);
    // A machine added elsewhere appears: the command reopens the list.
    {
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("ADOConnection1"));
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("INSERT INTO ZVRD_MAQUINAS (NUM_MAQUINA,DSC_MAQUINA,TIPO_TRANSFER,ID_IMAGEM,"
                                      "DIR_PROGRAMAS) VALUES ('0','Robot','FTP',6,'')")));
    }
    QString caption;
    QStringList shown;
    bool visible = false;
    QTimer::singleShot(0, window, [&] {
        visible = window->isVisible();
        caption = window->findChild<QObject *>(QStringLiteral("Ribbon1"))->property("caption").toString();
        shown = numbers(window->allMachines());
        // A double click on the third panel selects it and closes the window.
        MachineListView *view = window->DBCtrlGrid1();
        const QRect third = view->visualRect(view->model()->index(2, 0));
        doubleClick(view->viewport(), third.center());
        if (window->isVisible())
            window->reject(); // a failed double click must not hang the test
    });
    control<QToolButton>("SpeedButton1")->click();
    QVERIFY(visible);
    QVERIFY(!window->isVisible());
    QCOMPARE(caption, QStringLiteral("Zavrin - Select Machine"));
    QCOMPARE(shown, (QStringList{"0", "1", "2"}));
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("2"));
    QCOMPARE(panelText("Label4"), QStringLiteral("Lathe"));
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_MachineLists::selectWindowCancelAndEmptyList()
{
    start({{"1", "Mill"}, {"2", "Lathe"}});
    auto *window = qobject_cast<TForm_Selecionar_Maquina *>(Application::window(QStringLiteral("Form_Selecionar_Maquina")));
    QTimer::singleShot(0, window, [&] {
        window->allMachines()->setPosition(2);
        window->findChild<QPushButton *>(QStringLiteral("BitBtn5"))->click();
    });
    control<QToolButton>("SpeedButton1")->click();
    QVERIFY(!window->isVisible());
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("1"));

    // With no row under the cursor "&Select" asks for a machine and stays open.
    window->allMachines()->open({});
    window->show();
    window->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("ERROR: Please select Machine.")});
    QCOMPARE(m_dialogs->last().icon, Dialogs::Icon::Error);
    QVERIFY(window->isVisible());
    QCOMPARE(app().SelectedMachineNumber, QStringLiteral("1"));
    window->hide();
}

void tst_MachineLists::selectWindowFilter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("selected"); // after Down in the box and Enter
    QTest::newRow("name in another letter case") << "torno" << QStringList{"110", "310"} << "310";
    QTest::newRow("accented capitals") << "ÉTAU" << QStringList{"20"} << "20";
    QTest::newRow("number part") << "10" << QStringList{"10", "110", "310"} << "110";
    QTest::newRow("blanks around are trimmed") << "  mill " << QStringList{"10"} << "10";
    QTest::newRow("nothing matches") << "robot" << QStringList{} << "1";
}

void tst_MachineLists::selectWindowFilter()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, listed);
    QFETCH(QString, selected);
    start({{"1", "Gantry"}, {"10", "Vertical Mill"}, {"110", "Torno CNC"}, {"20", "Étau hydraulique"},
           {"310", "TORNO grande"}});
    auto *window = qobject_cast<TForm_Selecionar_Maquina *>(Application::window(QStringLiteral("Form_Selecionar_Maquina")));
    QVERIFY(window);
    QWidget *focused = nullptr;
    QStringList shown;
    QString leftOver;
    QTimer::singleShot(0, window, [&] {
        // Opened again after a filtered choice, the window starts from all machines.
        leftOver = window->filterBox()->text();
        focused = window->focusWidget();
        QTest::keyClicks(window->filterBox(), typed);
        shown = numbers(window->allMachines());
        QTest::keyClick(window->filterBox(), Qt::Key_Down);
        QTest::keyClick(window->filterBox(), Qt::Key_Return);
        if (window->isVisible())
            window->reject();
    });
    window->filterBox()->setText(QStringLiteral("left from before"));
    control<QToolButton>("SpeedButton1")->click();
    QCOMPARE(leftOver, QString());
    QCOMPARE(focused, static_cast<QWidget *>(window->filterBox()));
    QCOMPARE(shown, listed);
    if (listed.isEmpty()) {
        QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("ERROR: Please select Machine.")});
    } else {
        QVERIFY(m_dialogs->messages().isEmpty());
    }
    QCOMPARE(app().SelectedMachineNumber, selected);
}

void tst_MachineLists::cursorFollowsKeysAndMouse()
{
    QList<Row> rows;
    for (int i = 1; i <= 12; ++i)
        rows.append({QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("Machine %1").arg(i)});
    start(rows);
    m_main->resize(1200, 900);
    MachineListView *view = listView();
    MachineList *list = filteredMachineList();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    view->setFocus();
    QCOMPARE(view->rowHeight(), qMax(MachineListView::MinimumRowHeight, view->viewport()->height() / 5));

    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(list->position(), 2);
    QCOMPARE(app().EditMachineId, list->rows().at(1).id);
    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(list->position(), 12);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(list->position(), 1);
    QTest::keyClick(view, Qt::Key_PageDown);
    QVERIFY(list->position() >= 5);

    // A click moves the cursor, and the cursor row is painted sky blue.
    QTest::keyClick(view, Qt::Key_Home);
    const QRect second = view->visualRect(list->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(list->position(), 2);
    const QImage image = view->viewport()->grab().toImage();
    const QRect first = view->visualRect(list->index(0, 0));
    QCOMPARE(image.pixelColor(second.right() - 2, second.top() + 3), QColor(0xA6, 0xCA, 0xF0));
    QCOMPARE(image.pixelColor(first.right() - 2, first.top() + 3), QColor(Qt::white));
    // The picture frame is silver around the picture.
    const int frameTop = first.top() + MachineRowDelegate::topOffset(first.height()) - 5;
    QCOMPARE(image.pixelColor(first.left() + 9, frameTop + 1), QColor(0xC0, 0xC0, 0xC0));
}

void tst_MachineLists::captionsAndDatesReachThePanels()
{
    start({{"1", "Mill"}}, "DE");
    for (const QString &key : missingControlKeys()) {
        QVERIFY2(!key.startsWith(QLatin1String("Form_Main.Label")) && !key.startsWith(QLatin1String("Form_Selecionar_Maquina")),
                 qPrintable(key));
    }
    MachineListView *view = listView();
    QCOMPARE(view->caption(0), QStringLiteral("Maschinennummer :"));
    QCOMPARE(view->caption(5), QStringLiteral("Datum der Änderung :"));
    auto *window = qobject_cast<TForm_Selecionar_Maquina *>(Application::window(QStringLiteral("Form_Selecionar_Maquina")));
    QCOMPARE(window->DBCtrlGrid1()->captionCount(), 4);
    QCOMPARE(window->DBCtrlGrid1()->caption(3), QStringLiteral("Programmverzeichnis :"));
    const QModelIndex row = filteredMachineList()->index(0, 0);
    QCOMPARE(row.data(MachineList::CreatedRole).toString(), QStringLiteral("05/03/2021 14:07:09"));
    // At exactly midnight only the date is shown.
    QCOMPARE(row.data(MachineList::ChangedRole).toString(), QStringLiteral("30/11/2022"));
}

QTEST_MAIN(tst_MachineLists)
#include "tst_machinelists.moc"
