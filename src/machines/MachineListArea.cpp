#include "MachineListArea.h"

#include "Database.h"
#include "ImagesWindow.h"
#include "MachineList.h"
#include "MachineListView.h"
#include "MachineSelection.h"
#include "MachinesWindow.h"
#include "SelectMachineWindow.h"
#include "app/AppState.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/WindowFactories.h"
#include "files/BrowserArea.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/WindowRules.h"

#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

// The "Machines" page's list with its filter and delete, and the "Select
// Machine" command. One per main window.
class MachineListArea : public QObject
{
public:
    explicit MachineListArea(TForm_Main *main);
    ~MachineListArea() override;

    static MachineListArea *instance() { return s_instance; }

    void runFilter();
    void Button2Click() { guarded([this] { runFilter(); }); }
    void Button3Click();
    void SpeedButton8Click();
    void SpeedButton1Click();
    // Both lists again after another workstation changed the register, with their
    // filters and cursors; a failure leaves them as they are, without a message
    // (no action of this user failed).
    void refreshFromElsewhere();

    TForm_Main *m_main;
    MachineList *m_filtered;
    MachineListView *m_view;
    QLineEdit *m_name;   // Edit3
    QLineEdit *m_number; // Edit4
    QPointer<TForm_Selecionar_Maquina> m_selectWindow;
    QTimer *m_remoteChange;

private:
    static MachineListArea *s_instance;
};

MachineListArea *MachineListArea::s_instance = nullptr;

MachineListArea::MachineListArea(TForm_Main *main) : QObject(main), m_main(main)
{
    s_instance = this;
    m_filtered = new MachineList(this);
    m_view = new MachineListView(m_filtered, 5,
                                 {QStringLiteral("Label8"), QStringLiteral("Label15"), QStringLiteral("Label16"),
                                  QStringLiteral("Label17"), QStringLiteral("Label18"), QStringLiteral("Label19")},
                                 main->DBCtrlGrid1());
    m_view->setObjectName(QStringLiteral("MachineListView1"));
    main->DBCtrlGrid1()->layout()->addWidget(m_view);

    m_name = main->findChild<QLineEdit *>(QStringLiteral("Edit3"));
    m_number = main->findChild<QLineEdit *>(QStringLiteral("Edit4"));
    m_selectWindow = qobject_cast<TForm_Selecionar_Maquina *>(Application::window(QStringLiteral("Form_Selecionar_Maquina")));

    // Changes of other workstations come in bursts (a machine row, then its
    // parameter row): one refresh for each burst.
    m_remoteChange = new QTimer(this);
    m_remoteChange->setSingleShot(true);
    m_remoteChange->setInterval(100);
    connect(m_remoteChange, &QTimer::timeout, this, [this] { refreshFromElsewhere(); });
    TDataModule1::instance().setChangeListener([this](const QString &) { m_remoteChange->start(); });

    // The edit, view and delete commands work on the machine under the cursor.
    connect(m_filtered, &MachineList::cursorChanged, this, [this] {
        const std::optional<MachineRecord> m = m_filtered->current();
        app().EditMachineId = m ? m->id : QString();
    });

    if (auto *search = main->findChild<QPushButton *>(QStringLiteral("Button2")))
        connect(search, &QPushButton::clicked, this, [this] { Button2Click(); });
    if (auto *clear = main->findChild<QPushButton *>(QStringLiteral("Button3")))
        connect(clear, &QPushButton::clicked, this, [this] { Button3Click(); });
    if (auto *remove = main->findChild<QToolButton *>(QStringLiteral("SpeedButton8")))
        connect(remove, &QToolButton::clicked, this, [this] { SpeedButton8Click(); });
    if (auto *select = main->findChild<QToolButton *>(QStringLiteral("SpeedButton1")))
        connect(select, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
}

MachineListArea::~MachineListArea()
{
    if (s_instance == this) {
        s_instance = nullptr;
        TDataModule1::instance().setChangeListener(nullptr);
    }
}

void MachineListArea::refreshFromElsewhere()
{
    try {
        TDataModule1 &db = TDataModule1::instance();
        m_filtered->reopen(db.filteredMachines(MachineSelection::trimmedFilter(m_name ? m_name->text() : QString()),
                                               MachineSelection::trimmedFilter(m_number ? m_number->text() : QString())));
        if (m_selectWindow)
            m_selectWindow->refreshList();
    } catch (const std::exception &) {
        // Shown by the user's next action, which connects again.
    }
}

void MachineListArea::runFilter()
{
    MachineSelection::runFilter(*m_filtered, m_name ? m_name->text() : QString(),
                                m_number ? m_number->text() : QString());
}

void MachineListArea::Button3Click()
{
    if (m_name)
        m_name->clear();
    if (m_number)
        m_number->clear();
    guarded([this] { runFilter(); });
}

void MachineListArea::SpeedButton8Click()
{
    guarded([this] {
        if (!m_filtered->isOpen())
            return;
        const std::optional<MachineRecord> machine = m_filtered->current();
        if (!machine) {
            Msg::information(T("Form_Main.MSG40"));
            return;
        }
        app().EditMachineId = machine->id;
        if (!Msg::question(MachineSelection::deleteQuestion(*machine)))
            return;
        // Only the machine row goes; its parameter rows and the selected machine stay.
        if (!TDataModule1::instance().deleteMachine(machine->id))
            Msg::error(Texts::extra("Extra.MachineGone")); // deleted meanwhile elsewhere; the list shows it gone
        if (m_name)
            m_name->clear();
        if (m_number)
            m_number->clear();
        runFilter();
    });
}

void MachineListArea::SpeedButton1Click()
{
    if (!m_selectWindow)
        return;
    guarded([this] {
        const QString caption = T("Form_Selecionar_Maquina.Ribbon1");
        WindowRules::setRibbonCaption(m_selectWindow, caption);
        FUNC_Listar_ALL_Maquinas();
        WindowRules::showModal(m_selectWindow, caption);
    });
}

} // namespace

void installMachineListArea(TForm_Main *main)
{
    new MachineListArea(main);
    // The registration window works on the machine under this list's cursor and
    // refreshes the list after a save.
    TForm_Maquinas::listCursorMachineId = []() -> std::optional<QString> {
        MachineList *list = filteredMachineList();
        if (!list || !list->isOpen())
            return std::nullopt;
        const std::optional<MachineRecord> m = list->current();
        return m ? m->id : QString();
    };
    TForm_Maquinas::refreshMachineList = [] { refreshMachineLists(); };
}

void startMachineLists(TForm_Main *)
{
    FUNC_Listar_ALL_Maquinas();
    refreshMachineLists();
    FUNC_Selecionar_Maquina(1);
}

void refreshMachineLists()
{
    if (MachineListArea *area = MachineListArea::instance())
        area->runFilter();
}

void FUNC_Listar_ALL_Maquinas()
{
    if (MachineList *all = allMachineList())
        MachineSelection::listAllMachines(*all);
}

void FUNC_Selecionar_Maquina(int position)
{
    MachineListArea *area = MachineListArea::instance();
    MachineList *all = allMachineList();
    if (!area || !all)
        return;
    const std::optional<MachineRecord> machine = MachineSelection::selectMachine(*all, *area->m_filtered, position, app());
    if (!machine)
        return;
    // The panel shows the directory as stored; the selected value has the separator.
    area->m_main->showSelectedMachine(machine->number, machine->description, machine->programDirectory,
                                      machine->transferType, TForm_Imagens::machinePicture(machine->pictureId));
    const QString folder = app().SelectedProgramDirectory;
    if (QFileInfo(folder).isDir())
        browseTo(folder);
}

MachineList *filteredMachineList()
{
    MachineListArea *area = MachineListArea::instance();
    return area ? area->m_filtered : nullptr;
}

MachineList *allMachineList()
{
    MachineListArea *area = MachineListArea::instance();
    return area && area->m_selectWindow ? area->m_selectWindow->allMachines() : nullptr;
}

bool selectedMachineStillExists()
{
    // A single workstation keeps the selected values as they were (its own delete
    // leaves them); on a shared server another workstation may have deleted it.
    TDataModule1 &db = TDataModule1::instance();
    if (db.engine() != TDataModule1::Engine::Postgres || app().SelectedMachineId.isEmpty())
        return true;
    if (db.loadMachine(app().SelectedMachineId))
        return true;
    Msg::error(Texts::extra("Extra.MachineGone"));
    AppState &state = app();
    state.SelectedMachineId.clear();
    state.SelectedMachineNumber.clear();
    state.SelectedMachineDescription.clear();
    state.SelectedTransferType.clear();
    state.SelectedPictureId.clear();
    state.SelectedProgramDirectory.clear();
    if (MachineListArea *area = MachineListArea::instance())
        area->m_main->clearSelectedMachine();
    return false;
}
