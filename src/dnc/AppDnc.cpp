#include "AppDnc.h"

#include "DncService.h"
#include "journal/JournalRecorder.h"

#include "app/AppState.h"
#include "app/MainWindow.h"
#include "app/MessagesWindow.h"
#include "lang/Texts.h"
#include "machines/Database.h"
#include "machines/MachinesWindow.h"
#include "platform/Error.h"

#include <QDir>
#include <QPointer>

namespace AppDnc {

namespace {
QPointer<DncService> g_service;
QPointer<TForm_Main> g_main;

void announce(const QString &file, const QString &text)
{
    if (!g_main)
        return;
    auto *messages = g_main->findChild<TForm_MSG *>(QStringLiteral("Form_MSG"));
    if (!messages)
        return;
    messages->addEntry(file, Texts::extra("Extra.DncMessagesTitle"), {text});
}
} // namespace

DncService *service() { return g_service; }

void install(TForm_Main *main)
{
    g_main = main;
    auto *service = new DncService(app().mainSettingsPath(), main);
    g_service = service;
    PortHandover::setService(service);
    // Programs received and requests answered go into the run's journal like any transfer.
    service->journal = [](const JournalEntry &entry) {
        if (JournalRecorder *recorder = JournalRecorder::current())
            recorder->record(entry);
    };
    QObject::connect(service, &DncService::message, main,
                     [](MachineListener::Severity, const QString &text, const QString &subject) { announce(subject, text); });
    // A saved machine may have changed its automatic receive.
    auto previous = TForm_Maquinas::refreshMachineList;
    TForm_Maquinas::refreshMachineList = [previous] {
        if (previous)
            previous();
        reload();
    };
}

void start() { reload(); }

void shutdown()
{
    if (!g_service)
        return;
    for (MachineListener *listener : g_service->listeners())
        listener->release();
}

void reload()
{
    if (!g_service || !TDataModule1::instance().isOpen())
        return;
    try {
        g_service->reload();
    } catch (const Error &e) {
        announce(Texts::extra("Extra.DncGroup"), e.message());
    }
}

} // namespace AppDnc
