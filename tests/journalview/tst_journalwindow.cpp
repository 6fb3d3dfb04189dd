#include "JournalSamples.h"
#include "TestSupport.h"

#include "journalview/JournalModel.h"
#include "journalview/JournalWindow.h"
#include "lang/Texts.h"
#include "platform/ScriptedDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

// The journal window over entries from a replaceable loader: what it reads, filters, opens
// and exports, and what the operator is told when a program cannot be opened.
class tst_JournalWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loaderFailureShown();
    void controlsFilter();
    void detailsHoldEveryField();
    void openProgram();
    void exportShownEntries();
    void exportFailureKeepsFile();

private:
    void selectRow(int row) { m_window->table()->setCurrentIndex(m_window->model()->index(row, 0)); }
    QString program(const QString &name, const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<JournalWindow> m_window;
    QVector<JournalEntry> m_entries;
    QString m_loadError;
    QStringList m_opened;
};

void tst_JournalWindow::init()
{
    TestSupport::resetAppState();
    Texts::FUNC_Textos_EN();
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_entries = sampleJournal(200);
    m_loadError.clear();
    m_opened.clear();
    m_window = std::make_unique<JournalWindow>();
    m_window->setLoader([this](QString *error) {
        *error = m_loadError;
        return m_loadError.isEmpty() ? m_entries : QVector<JournalEntry>();
    });
    m_window->setCsvWriter(writeSampleCsv);
    m_window->setOpener([this](const QString &path) { m_opened << path; });
}

void tst_JournalWindow::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_dir.reset();
}

QString tst_JournalWindow::program(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    TestSupport::writeBytes(path, bytes);
    return path;
}

void tst_JournalWindow::loaderFailureShown()
{
    m_loadError = QStringLiteral("database disk image is malformed");
    m_window->show();
    QCOMPARE(m_dialogs->messages(),
             QStringList{"ERROR: The transfer journal could not be read: database disk image is malformed"});
    QCOMPARE(m_window->model()->rowCount(), 0);
    QVERIFY(!m_window->findChild<QPushButton *>(QStringLiteral("JournalExport"))->isEnabled());
    // Read again once the journal is back.
    m_loadError.clear();
    m_window->reload();
    QCOMPARE(m_window->model()->rowCount(), 200);
}

void tst_JournalWindow::controlsFilter()
{
    m_window->show();
    QCOMPARE(m_window->countText(), QStringLiteral("Shown: 200 of 200 transfers"));
    auto *machine = m_window->findChild<QComboBox *>(QStringLiteral("JournalMachine"));
    QCOMPARE(machine->count(), 6); // (all) and five machines
    QCOMPARE(machine->itemText(2), QStringLiteral("02 - Lathe TL-2"));
    machine->setCurrentIndex(2);
    auto *outcome = m_window->findChild<QComboBox *>(QStringLiteral("JournalOutcome"));
    outcome->setCurrentIndex(outcome->findText(QStringLiteral("Verified")));
    const int shown = m_window->model()->rowCount();
    QVERIFY(shown > 0 && shown < 200);
    for (int r = 0; r < shown; ++r) {
        QCOMPARE(m_window->model()->entryAt(r).machineId, QStringLiteral("2"));
        QCOMPARE(m_window->model()->entryAt(r).outcome, JournalEntry::Outcome::Verified);
    }
    QCOMPARE(m_window->countText(), QStringLiteral("Shown: %1 of 200 transfers").arg(shown));
    // The filter stays over a reload; the clear button lifts every condition.
    m_window->reload();
    QCOMPARE(m_window->model()->rowCount(), shown);
    m_window->findChild<QLineEdit *>(QStringLiteral("JournalFileText"))->setText(QStringLiteral("O1001"));
    QVERIFY(m_window->model()->rowCount() < shown);
    m_window->clearFilterClick();
    QCOMPARE(m_window->model()->rowCount(), 200);
    QCOMPARE(machine->currentIndex(), 0);
}

void tst_JournalWindow::detailsHoldEveryField()
{
    m_entries = sampleJournal(6);
    m_entries[5].notice = QStringLiteral("no end of program received");
    m_entries[5].error = QStringLiteral("Input/output error");
    m_window->show();
    selectRow(0); // newest: the last of the store
    const QString details = m_window->detailsText();
    const JournalEntry &e = m_entries[5];
    for (const QString &part : {e.workstation, e.user, e.machineId, e.machineDescription, e.localPath, e.remote,
                                e.sha256, e.notice, e.error, QStringLiteral("Entry: 6"),
                                QStringLiteral("(UTC 2026-12-10T12:00:00Z)")})
        QVERIFY2(details.contains(part), qPrintable(part + QStringLiteral(" not in:\n") + details));
}

void tst_JournalWindow::openProgram()
{
    const QByteArray bytes("%\r\nO1000\r\nG0 X0\r\nM30\r\n%\r\n");
    const QString path = program(QStringLiteral("O1000.nc"), bytes);
    m_entries = sampleJournal(1);
    m_entries[0].localPath = path;
    m_entries[0].sha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    m_window->show();
    selectRow(0);
    m_window->openProgramClick();
    QCOMPARE(m_opened, QStringList{path});
    QVERIFY(m_dialogs->messages().isEmpty());

    program(QStringLiteral("O1000.nc"), bytes + "M99\r\n");
    m_window->openProgramClick();
    QCOMPARE(m_opened.size(), 1); // not opened again
    QCOMPARE(m_dialogs->messages().size(), 1);
    const QString changed = m_dialogs->messages().constFirst();
    QVERIFY2(changed.startsWith("ATTENTION: The program \"" + QDir::toNativeSeparators(path) + "\" has changed since the transfer"),
             qPrintable(changed));
    QVERIFY(changed.contains(m_entries[0].sha256));

    QFile::remove(path);
    m_dialogs->clear();
    m_window->openProgramClick();
    QCOMPARE(m_dialogs->messages(), QStringList{"ATTENTION: The program \"" + QDir::toNativeSeparators(path)
                                                + "\" no longer exists: it was moved, renamed or deleted after the transfer."});
    QCOMPARE(m_opened.size(), 1);
}

void tst_JournalWindow::exportShownEntries()
{
    m_window->show();
    m_window->findChild<QLineEdit *>(QStringLiteral("JournalFileText"))->setText(QStringLiteral("O10"));
    const QVector<JournalEntry> shown = m_window->model()->shownEntries();
    QVERIFY(shown.size() > 0 && shown.size() < 200);
    const QString path = m_dir->filePath(QStringLiteral("journal.csv"));
    m_dialogs->answerPath(path);
    m_window->exportClick();
    QBuffer expected;
    expected.open(QIODevice::WriteOnly);
    QString error;
    QVERIFY(writeSampleCsv(shown, &expected, &error));
    QCOMPARE(TestSupport::readBytes(path), expected.data());
    QCOMPARE(m_dialogs->messages(), QStringList{QStringLiteral("INFORMATION: %1 transfers were exported to \"%2\".")
                                                    .arg(shown.size())
                                                    .arg(QDir::toNativeSeparators(path))});
    // A cancelled dialog writes nothing and says nothing.
    m_dialogs->clear();
    m_dialogs->answerPath(QString());
    m_window->exportClick();
    QVERIFY(m_dialogs->messages().isEmpty());
}

void tst_JournalWindow::exportFailureKeepsFile()
{
    m_window->show();
    const QString path = program(QStringLiteral("journal.csv"), "earlier export\r\n");
    m_window->setCsvWriter([](const QVector<JournalEntry> &, QIODevice *device, QString *error) {
        device->write("half a line");
        *error = QStringLiteral("the journal was locked");
        return false;
    });
    m_dialogs->answerPath(path);
    m_window->exportClick();
    QCOMPARE(TestSupport::readBytes(path), QByteArray("earlier export\r\n"));
    QCOMPARE(m_dialogs->messages(), QStringList{"ERROR: The export could not be written to \"" + QDir::toNativeSeparators(path)
                                                + "\": the journal was locked"});
    m_dialogs->clear();
    m_window->setCsvWriter(writeSampleCsv);
    const QString nowhere = m_dir->filePath(QStringLiteral("no-folder/journal.csv"));
    m_dialogs->answerPath(nowhere);
    m_window->exportClick();
    QCOMPARE(m_dialogs->messages().size(), 1);
    QVERIFY2(m_dialogs->messages().constFirst().startsWith("ERROR: The export could not be written to \""
                                                            + QDir::toNativeSeparators(nowhere) + "\": "),
             qPrintable(m_dialogs->messages().constFirst()));
    QVERIFY(!QFile::exists(nowhere));
}

QTEST_MAIN(tst_JournalWindow)
#include "tst_journalwindow.moc"
