#include "lang/ApplyLanguage.h"
#include "lang/Texts.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

// A widget of our own that shows a caption, as the ribbon does.
class CaptionedWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    using QWidget::QWidget;
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }

private:
    QString m_caption = QStringLiteral("design time");
};

// A file list whose model keeps fixed headers and offers the column hook instead.
class FileListView : public QTreeView
{
    Q_OBJECT
public:
    using QTreeView::QTreeView;
    QStringList captions{4};
    Q_INVOKABLE void setColumnCaption(int column, const QString &text) { captions[column] = text; }
};

template<class W>
W *add(QWidget *parent, const char *name)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    return w;
}

// A few windows built the way the real ones are, by object name.
struct Windows
{
    std::unique_ptr<QWidget> main{new QWidget};
    std::unique_ptr<QDialog> config{new QDialog};
    std::unique_ptr<QDialog> machines{new QDialog};
    std::unique_ptr<QDialog> receive{new QDialog};
    std::unique_ptr<QDialog> transferFtp{new QDialog};
    std::unique_ptr<QDialog> transferDir{new QDialog};

    CaptionedWidget *ribbon;
    QTabWidget *ribbonPages;
    QWidget *ribbonPage3;
    QGroupBox *ribbonGroup5;
    QLabel *label8;
    QLabel *panel4;
    QPushButton *button2;
    QToolButton *speedButton15;
    QAction *actSearch;
    FileListView *shellList;
    QWidget *messages;
    QLabel *messagesLabel8;
    QComboBox *languages;
    QComboBox *transferTypes;
    QComboBox *pictures;
    QPushButton *bitBtn2;
    QTabWidget *machinePages;
    QWidget *tabSheet2;
    CaptionedWidget *receiveRibbon;
    QTableWidget *ftpList;
    QTreeWidget *dirList;

    Windows()
    {
        main->setObjectName(QStringLiteral("Form_Main"));
        ribbon = add<CaptionedWidget>(main.get(), "Ribbon1");
        ribbonPages = add<QTabWidget>(ribbon, "PageControlOfRibbon");
        for (const char *name : {"RibbonPage1", "RibbonPage2", "RibbonPage3"})
            ribbonPages->addTab(add<QWidget>(nullptr, name), QStringLiteral("design"));
        ribbonPage3 = ribbonPages->widget(2);
        ribbonGroup5 = add<QGroupBox>(ribbonPages->widget(1), "RibbonGroup5");
        // The messages panel docked into the main window has its own Label8,
        // nearer the top than the main window's.
        messages = add<QWidget>(main.get(), "Form_MSG");
        messagesLabel8 = add<QLabel>(messages, "Label8");
        messagesLabel8->setText(QStringLiteral("not mine"));
        QWidget *panel = add<QWidget>(add<QWidget>(main.get(), "Panel1"), "Panel3");
        label8 = add<QLabel>(panel, "Label8");
        panel4 = add<QLabel>(main.get(), "Panel4");
        button2 = add<QPushButton>(main.get(), "Button2");
        add<QLineEdit>(main.get(), "Button3"); // a control of a kind that shows no caption
        speedButton15 = add<QToolButton>(main.get(), "SpeedButton15");
        actSearch = new QAction(main.get());
        actSearch->setObjectName(QStringLiteral("actSearch"));
        shellList = add<FileListView>(main.get(), "ShellListView1");
        // A dialog owned by the main window is a window of its own: not searched.
        add<QLabel>(add<QDialog>(main.get(), "SomeDialog"), "Label15");

        config->setObjectName(QStringLiteral("Form_Config"));
        languages = add<QComboBox>(config.get(), "ComboBox1");
        languages->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        languages->setCurrentIndex(2);

        machines->setObjectName(QStringLiteral("Form_Maquinas"));
        transferTypes = add<QComboBox>(machines.get(), "ComboBox1");
        pictures = add<QComboBox>(machines.get(), "ComboBox2");
        bitBtn2 = add<QPushButton>(machines.get(), "BitBtn2");
        machinePages = add<QTabWidget>(machines.get(), "PageControl1");
        for (const char *name : {"TabSheet1", "TabSheet2", "TabSheet3"})
            machinePages->addTab(add<QWidget>(nullptr, name), QString());
        tabSheet2 = machinePages->widget(1);

        receive->setObjectName(QStringLiteral("Form_Transfer_SERIAL232_R"));
        receiveRibbon = add<CaptionedWidget>(receive.get(), "Ribbon1");

        transferFtp->setObjectName(QStringLiteral("Form_Transfer_FTP"));
        ftpList = add<QTableWidget>(transferFtp.get(), "ListView1");
        ftpList->setColumnCount(4);

        transferDir->setObjectName(QStringLiteral("Form_Transfer_DIR"));
        dirList = add<QTreeWidget>(transferDir.get(), "ShellListView1");
        dirList->setColumnCount(4);
    }

    QList<QWidget *> list() const
    {
        return {main.get(), config.get(), machines.get(), receive.get(), transferFtp.get(), transferDir.get()};
    }
};

class TestApplyLanguage : public QObject
{
    Q_OBJECT

private slots:
    void init() { Texts::clearAll(); }

    void captionsByKind();
    void hintsAndColumns();
    void listsRebuiltWithoutSelection();
    void languageChangeKeepsGaps();
    void missingControlsListed();
    void allTopLevelWindows();
};

void TestApplyLanguage::captionsByKind()
{
    Windows w;
    Texts::FUNC_Textos_EN();
    FUNC_Aplicar_Idioma(w.list());

    QCOMPARE(w.main->windowTitle(), QStringLiteral("Zavrin"));
    QCOMPARE(w.ribbon->caption(), QStringLiteral("Zavrin"));
    QCOMPARE(w.ribbonPages->tabText(2), QStringLiteral(" Edit CNC Program "));
    QCOMPARE(w.ribbonPages->tabText(1), QStringLiteral("Machines"));
    QCOMPARE(w.ribbonGroup5->title(), QStringLiteral("Register"));
    QCOMPARE(w.label8->text(), QStringLiteral("Machine Number :"));
    QCOMPARE(w.messagesLabel8->text(), QStringLiteral("not mine"));
    QCOMPARE(w.messages->windowTitle(), QStringLiteral("Zavrin - Messages"));
    QCOMPARE(w.panel4->text(), QStringLiteral("Machine"));
    QCOMPARE(w.button2->text(), QStringLiteral("Search"));
    QCOMPARE(w.actSearch->text(), QStringLiteral("&Find..."));
    QCOMPARE(w.machinePages->tabText(1), QStringLiteral("Parameters of FTP Transfer"));
    QCOMPARE(w.config->windowTitle(), QStringLiteral("Form_Config"));

    // "&" stays in the text and is the button's accelerator.
    QCOMPARE(w.bitBtn2->text(), QStringLiteral("Ch&ange"));
    QCOMPARE(w.bitBtn2->shortcut(), QKeySequence(Qt::ALT | Qt::Key_A));

    // The serial receive window's ribbon caption has no key: it is emptied.
    QCOMPARE(w.receiveRibbon->caption(), QString());
    QCOMPARE(w.receive->windowTitle(), QStringLiteral("Form_Transfer_SERIAL232_R"));

    QVERIFY(setControlCaption(w.ribbon, QStringLiteral("Zavrin - X")));
    QCOMPARE(w.ribbon->caption(), QStringLiteral("Zavrin - X"));
    QVERIFY(!setControlCaption(w.main->findChild<QLineEdit *>(QStringLiteral("Button3")), QStringLiteral("x")));
    QVERIFY(!setControlCaption(nullptr, QStringLiteral("x")));
}

void TestApplyLanguage::hintsAndColumns()
{
    Windows w;
    Texts::FUNC_Textos_PTBR();
    FUNC_Aplicar_Idioma(w.list());

    QCOMPARE(w.speedButton15->toolTip(), QStringLiteral("Abrir Arquivo"));
    QCOMPARE(w.shellList->captions,
             (QStringList{QStringLiteral("Nome"), QStringLiteral("Tamanho"), QStringLiteral("Tipo"),
                          QStringLiteral("Modificado em")}));
    QCOMPARE(w.ftpList->horizontalHeaderItem(0)->text(), QStringLiteral(" ^ "));
    QCOMPARE(w.ftpList->horizontalHeaderItem(1)->text(), Texts::text("Form_Transfer_FTP.ListView1.Column1"));
    QCOMPARE(w.dirList->headerItem()->text(3), Texts::text("Form_Transfer_DIR.ShellListView1.Column3"));
    QCOMPARE(w.dirList->columnCount(), 4);
}

void TestApplyLanguage::listsRebuiltWithoutSelection()
{
    Windows w;
    w.transferTypes->addItems({QStringLiteral("old"), QStringLiteral("old")});
    w.transferTypes->setCurrentIndex(1);
    QSignalSpy languageChanges(w.languages, &QComboBox::currentIndexChanged);
    QSignalSpy typeChanges(w.transferTypes, &QComboBox::currentIndexChanged);

    Texts::FUNC_Textos_EN();
    FUNC_Aplicar_Idioma(w.list());

    QStringList languages;
    for (int i = 0; i < w.languages->count(); ++i)
        languages << w.languages->itemText(i);
    QCOMPARE(languages, (QStringList{"English", "Portuguese", "Spanish", "French", "Deutsch"}));
    QCOMPARE(w.languages->currentIndex(), -1);

    QStringList types;
    for (int i = 0; i < w.transferTypes->count(); ++i)
        types << w.transferTypes->itemText(i);
    QCOMPARE(types, (QStringList{"", "Local Directory", "Network Directory", "FTP", "Serial RS232"}));
    QCOMPARE(w.transferTypes->currentIndex(), -1);

    QCOMPARE(w.pictures->count(), 8);
    QCOMPARE(w.pictures->itemText(0), QString());
    QCOMPARE(w.pictures->itemText(1), QStringLiteral("Image 01"));
    QCOMPARE(w.pictures->itemText(7), QStringLiteral("Image 07"));
    QCOMPARE(w.pictures->currentIndex(), -1);

    // Refilling is no choice of the user: the windows' change handlers stay quiet.
    QCOMPARE(languageChanges.count(), 0);
    QCOMPARE(typeChanges.count(), 0);

    // Applied again, the lists are replaced, not extended.
    Texts::FUNC_Textos_DE();
    FUNC_Aplicar_Idioma(w.list());
    QCOMPARE(w.languages->count(), 5);
    QCOMPARE(w.languages->itemText(0), QStringLiteral("Englisch"));
    QCOMPARE(w.languages->itemText(3), QStringLiteral("Französisch"));
    QCOMPARE(w.pictures->count(), 8);
}

void TestApplyLanguage::languageChangeKeepsGaps()
{
    {
        Windows w;
        Texts::FUNC_Textos_FR();
        FUNC_Aplicar_Idioma(w.list());
        QCOMPARE(w.main->windowTitle(), QString());
        QCOMPARE(w.ribbon->caption(), QString());
        QCOMPARE(w.label8->text(), QStringLiteral("Numéro de Machine :"));
    }
    {
        Windows w;
        Texts::FUNC_Textos_EN();
        FUNC_Aplicar_Idioma(w.list());
        Texts::FUNC_Textos_FR();
        FUNC_Aplicar_Idioma(w.list());
        QCOMPARE(w.main->windowTitle(), QStringLiteral("Zavrin"));
        QCOMPARE(w.ribbon->caption(), QStringLiteral("Zavrin"));
        QCOMPARE(w.label8->text(), QStringLiteral("Numéro de Machine :"));
    }
    {
        // No language ran: every caption is blanked.
        Texts::clearAll();
        Windows w;
        w.label8->setText(QStringLiteral("design"));
        QVERIFY(!Texts::runLanguageProcedure(QStringLiteral("en")));
        FUNC_Aplicar_Idioma(w.list());
        QCOMPARE(w.label8->text(), QString());
        QCOMPARE(w.languages->count(), 5);
        QCOMPARE(w.languages->itemText(0), QString());
    }
}

void TestApplyLanguage::missingControlsListed()
{
    Windows w;
    // A file-system model keeps fixed headers; without the view's hook the
    // titles cannot be shown.
    delete w.dirList;
    auto *fsView = add<QTreeView>(w.transferDir.get(), "ShellListView1");
    QFileSystemModel model;
    fsView->setModel(&model);

    const QStringList missing = missingControlKeys(w.list());
    for (const char *key : {"Form_Main.Label15",                       // only in a child dialog
                            "Form_Main.Button3",                       // shows no caption
                            "Form_EDT2.Caption",                       // window not built
                            "Form_Selecionar_Maquina.BitBtn1",         // window not built
                            "Form_Transfer_DIR.ShellListView1.Column0", // fixed headers
                            "Form_Transfer_DIR.BitBtn1"})               // control not built
        QVERIFY2(missing.contains(QLatin1String(key)), key);
    for (const char *key : {"Form_Main.Caption", "Form_Main.Label8", "Form_Main.Ribbon1", "Form_Main.RibbonPage3",
                            "Form_Main.SpeedButton15.Hint", "Form_Main.ShellListView1.Column3",
                            "Form_Transfer_FTP.ListView1.Column0", "Form_Config.ComboBox1.Item0",
                            "Form_Maquinas.ComboBox2.Item7", "Form_MSG.Caption"})
        QVERIFY2(!missing.contains(QLatin1String(key)), key);

    // Applying skips them quietly and still fills the rest.
    Texts::FUNC_Textos_ES();
    FUNC_Aplicar_Idioma(w.list());
    QCOMPARE(w.button2->text(), QStringLiteral("Buscar"));

    // With no window at all every control key is missing, and nothing breaks.
    const QStringList all = missingControlKeys({});
    QCOMPARE(all.size(), Texts::controlKeys().size());
    FUNC_Aplicar_Idioma(QList<QWidget *>{});
}

void TestApplyLanguage::allTopLevelWindows()
{
    Windows w;
    Texts::FUNC_Textos_ES();
    FUNC_Aplicar_Idioma();
    QCOMPARE(w.config->windowTitle(), QStringLiteral("Zavrin"));
    QCOMPARE(w.languages->itemText(2), QStringLiteral("Español"));
    QVERIFY(!missingControlKeys().contains(QStringLiteral("Form_Main.Label8")));
}

QTEST_MAIN(TestApplyLanguage)
#include "tst_applylanguage.moc"
