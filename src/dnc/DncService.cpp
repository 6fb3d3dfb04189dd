#include "DncService.h"

#include "lang/Texts.h"
#include "machines/Database.h"
#include "platform/serial/SerialPortNames.h"

#include <QSet>

DncService::DncService(const QString &iniPath, QObject *parent) : QObject(parent), m_iniPath(iniPath) {}

DncService::~DncService() = default;

QList<MachineListener::Config> DncService::readMachines(const QString &iniPath)
{
    TDataModule1 &db = TDataModule1::instance();
    QList<MachineListener::Config> configs;
    for (const MachineRecord &m : db.allMachines()) {
        if (m.transferType != TransferType::Serial)
            continue;
        MachineListener::Config c;
        c.options = MachineOptions::read(iniPath, m.id);
        if (!c.options.autoReceive)
            continue;
        c.machine = m;
        c.serial = db.loadSerialParameters(m.id);
        configs.append(c);
    }
    return configs;
}

int DncService::reload()
{
    const QList<MachineListener::Config> configs = readMachines(m_iniPath);
    apply(configs);
    return configs.size();
}

void DncService::apply(const QList<MachineListener::Config> &configs)
{
    if (m_stopping)
        return;
    QSet<QString> wanted;
    for (const MachineListener::Config &c : configs)
        wanted.insert(c.machine.id);
    // Gone or changed: stop (the changed ones come back once stopped).
    for (MachineListener *l : std::as_const(m_listeners)) {
        if (l->isStopped())
            continue;
        const QString id = l->config().machine.id;
        auto it = std::find_if(configs.begin(), configs.end(), [&](const MachineListener::Config &c) { return c.machine.id == id; });
        if (it == configs.end() || *it != l->config())
            l->stop(StopGrace);
    }
    m_waiting.clear();
    QSet<QString> devices;
    for (MachineListener *l : std::as_const(m_listeners))
        if (!l->isStopped())
            devices.insert(l->deviceName());
    for (const MachineListener::Config &c : configs) {
        MachineListener *current = listenerFor(c.machine.id);
        if (current && current->config() == c && !current->isStopped())
            continue;
        if (current && !current->isStopped()) {
            m_waiting.append(c); // its old listener is finishing
            continue;
        }
        const QString device = SerialPortNames::deviceFor(c.serial.port);
        if (devices.contains(device)) {
            emit message(MachineListener::Severity::Error,
                         Texts::extraOrEnglish(QStringLiteral("Extra.DncSamePort"))
                             .arg(QStringLiteral("\"%1 %2\"").arg(c.machine.number.trimmed(), c.machine.description.trimmed()),
                                  c.serial.port),
                         QStringLiteral("%1 %2").arg(c.machine.number.trimmed(), c.machine.description.trimmed()));
            continue;
        }
        devices.insert(device);
        add(c)->start();
    }
}

MachineListener *DncService::add(const MachineListener::Config &config)
{
    auto *l = new MachineListener(config, this);
    l->journal = [this](const JournalEntry &e) {
        if (journal)
            journal(e);
    };
    connect(l, &MachineListener::message, this, &DncService::message);
    connect(l, &MachineListener::stored, this, &DncService::stored);
    connect(l, &MachineListener::stopped, this, [this, l] { onListenerStopped(l); }, Qt::QueuedConnection);
    m_listeners.append(l);
    return l;
}

void DncService::onListenerStopped(MachineListener *listener)
{
    if (!m_listeners.contains(listener))
        return;
    const QString id = listener->config().machine.id;
    m_listeners.removeAll(listener);
    listener->deleteLater();
    if (!m_stopping) {
        for (int i = 0; i < m_waiting.size(); ++i) {
            if (m_waiting.at(i).machine.id == id) {
                add(m_waiting.takeAt(i))->start();
                break;
            }
        }
        return;
    }
    if (isStopped())
        emit stopped();
}

void DncService::stop(int graceMs)
{
    const bool first = !m_stopping;
    m_stopping = true;
    m_waiting.clear();
    for (MachineListener *l : std::as_const(m_listeners))
        l->stop(graceMs);
    if (first && m_listeners.isEmpty())
        QMetaObject::invokeMethod(this, &DncService::stopped, Qt::QueuedConnection);
}

bool DncService::isStopped() const { return m_stopping && m_listeners.isEmpty(); }

QList<MachineListener *> DncService::listeners() const
{
    QList<MachineListener *> out;
    for (MachineListener *l : m_listeners)
        if (!l->isStopped())
            out.append(l);
    return out;
}

MachineListener *DncService::listenerFor(const QString &machineId) const
{
    for (MachineListener *l : m_listeners)
        if (l->config().machine.id == machineId && !l->isStopped())
            return l;
    return nullptr;
}

namespace PortHandover {
namespace {
QPointer<DncService> &service()
{
    static QPointer<DncService> s;
    return s;
}
} // namespace

void setService(DncService *s) { service() = s; }

Scope::Scope(const QString &portName)
{
    if (!service() || portName.trimmed().isEmpty())
        return;
    const QString device = SerialPortNames::deviceFor(portName.trimmed());
    for (MachineListener *l : service()->listeners()) {
        if (l->deviceName() == device && !l->isReleased()) {
            l->release();
            m_released.append(l);
        }
    }
}

Scope::~Scope()
{
    for (const QPointer<MachineListener> &l : m_released)
        if (l)
            l->takeBack();
}
} // namespace PortHandover
