#include "TransferCommands.h"

#include "ConnectingNotice.h"
#include "SerialReceiveWindow.h"
#include "SerialSendWindow.h"
#include "TransferDirWindow.h"
#include "TransferErrors.h"
#include "TransferFtpWindow.h"
#include "TransferRules.h"
#include "TransferValues.h"
#include "app/AppState.h"
#include "dnc/DncService.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "editor/EditorArea.h"
#include "files/BrowserArea.h"
#include "machines/MachineListArea.h"
#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/WindowRules.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QToolButton>

#include <memory>

namespace {

template <typename Window>
Window *transferWindow(const char *name)
{
    return qobject_cast<Window *>(Application::window(QLatin1String(name)));
}

// The busy cursor while the FTP preparation connects; restored however it ends.
class BusyCursor
{
public:
    BusyCursor()
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents();
    }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

namespace TransferCommands {

void SpeedButton4Click()
{
    BrowserArea *browser = BrowserArea::instance();
    const QString path = browser ? browser->selectedItemPath() : QString();
    if (path.isEmpty()) {
        Msg::information(T("Form_Main.MSG34"));
        return;
    }
    if (!QFileInfo(path).isFile())
        return; // a folder is selected
    dispatch(path, TransferRules::Send);
}

void SpeedButton31Click()
{
    EditorArea *editor = EditorArea::instance();
    const QString file = editor ? editor->CurrentFileName() : QString();
    if (file.trimmed().isEmpty() || !editor->hasActiveTab()) {
        Msg::information(T("Form_Main.MSG33"));
        return;
    }
    // What goes to the machine is the file as saved; a tab never saved has none.
    if (!QFileInfo(file).isFile())
        return;
    // The screen shows the edited program: the operator says whether the machine
    // gets it, the saved one, or nothing.
    if (CncEditor *current = editor->CurrentEditor(); current && current->isModified()) {
        switch (dialogs().message(Dialogs::Icon::Question, Texts::extra("Extra.TransferUnsavedQuestion").arg(file),
                                  Dialogs::Yes | Dialogs::No | Dialogs::Cancel, Dialogs::Cancel)) {
        case Dialogs::Yes:
            editor->FUNC_Salvar_Arquivo(); // a failed save throws: nothing is sent
            if (current->isModified())
                return;
            break;
        case Dialogs::No: break;
        default: return;
        }
    }
    dispatch(editor->CurrentFileName(), TransferRules::Send);
}

void SpeedButton19Click() { dispatch(QString(), TransferRules::Receive); }

void dispatch(const QString &file, int mode)
{
    bool exists = true;
    if (!guarded([&exists] { exists = selectedMachineStillExists(); }) || !exists)
        return;
    const QString sent = mode == TransferRules::Send ? file : QString();
    switch (TransferRules::wayFor(app().SelectedTransferType)) {
    case TransferRules::Way::Directory: FUNC_Transfer_LOCAL(sent, mode); break;
    case TransferRules::Way::Ftp: FUNC_Transfer_FTP(sent, mode); break;
    case TransferRules::Way::Serial: FUNC_Transfer_SERIAL232(sent, mode); break;
    case TransferRules::Way::None: break;
    }
}

void FUNC_Transfer_LOCAL(const QString &file, int mode)
{
    TransferValues &v = transferValues();
    TransferRules::loadPathValues(v, app().SelectedMachineId);
    auto *window = transferWindow<TForm_Transfer_DIR>("Form_Transfer_DIR");
    if (!window)
        return;
    window->prepare(file, mode);
    if (!v.MachineTransferDirectory.isEmpty() && QFileInfo(v.MachineTransferDirectory).isDir()) {
        window->setListRoot(v.MachineTransferDirectory);
        WindowRules::showModal(window, window->ribbonCaption());
    } else {
        window->BitBtn1()->setEnabled(false);
        Msg::error(T("Form_Main.MSG22") + v.MachineTransferDirectory + T("Form_Main.MSG23"));
    }
}

void FUNC_Transfer_FTP(const QString &file, int mode)
{
    auto *window = transferWindow<TForm_Transfer_FTP>("Form_Transfer_FTP");
    if (!window)
        return;
    {
        BusyCursor busy;
        TransferValues &v = transferValues();
        TransferRules::loadFtpValues(v, app().SelectedMachineId);
        window->prepare(file, mode);
        const QString place = TransferErrors::ftpPlace(v.FtpHost, v.FtpPort);
        try {
            // Connecting toggles: a connection left from an earlier transfer (perhaps to
            // another machine) is closed first and made again, so that the window always
            // opens on a fresh listing of this machine's folder.
            if (window->IdFTP1()->connected())
                window->FUNC_Conectar_FTP(v.FtpUser, v.FtpPassword, v.FtpHost, v.FtpDirectory, v.FtpPort);
            // Connecting may take up to the client's time limit: say so, with Cancel.
            ConnectingNotice notice(QApplication::activeWindow(), place, [window] { window->IdFTP1()->abort(); });
            window->FUNC_Conectar_FTP(v.FtpUser, v.FtpPassword, v.FtpHost, v.FtpDirectory, v.FtpPort);
        } catch (const FtpAborted &) {
            Msg::information(T("Shared.MSG05"));
            return;
        } catch (const Error &e) {
            throw Error(TransferErrors::ftpReason(e, place));
        }
    }
    QCoreApplication::processEvents();
    WindowRules::showModal(window, window->ribbonCaption());
}

void FUNC_Transfer_SERIAL232(const QString &file, int mode)
{
    TransferValues &v = transferValues();
    TransferRules::loadSerialValues(v, app().SelectedMachineId);
    // Each window applies the codes to its port itself when it is shown.
    if (mode == TransferRules::Send) {
        if (auto *window = transferWindow<TForm_Transfer_SERIAL232>("Form_Transfer_SERIAL232")) {
            window->prepareSend(file, v.serialCodes());
            const PortHandover::Scope borrowed(v.SerialPortName); // from automatic receive
            WindowRules::showModal(window, T("Form_Transfer_SERIAL232.Ribbon1"));
        }
    } else if (mode == TransferRules::Receive) {
        if (auto *window = transferWindow<TForm_Transfer_SERIAL232_R>("Form_Transfer_SERIAL232_R")) {
            window->prepareReceive(app().SelectedProgramDirectory, v.serialCodes());
            const PortHandover::Scope borrowed(v.SerialPortName); // from automatic receive
            WindowRules::showModal(window, T("Form_Main.MSG05"));
        }
    }
}

} // namespace TransferCommands

void installTransferCommands(TForm_Main *main)
{
    const struct
    {
        const char *name;
        void (*handler)();
    } commands[] = {
        {"SpeedButton4", TransferCommands::SpeedButton4Click},
        {"SpeedButton31", TransferCommands::SpeedButton31Click},
        {"SpeedButton19", TransferCommands::SpeedButton19Click},
    };
    for (const auto &c : commands) {
        if (auto *button = main->findChild<QToolButton *>(QLatin1String(c.name))) {
            auto handler = c.handler;
            QObject::connect(button, &QToolButton::clicked, main, [handler] { guarded(handler); });
        }
    }
}
