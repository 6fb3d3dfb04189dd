#include "SerialPortsWindow.h"

#include "lang/Texts.h"
#include "platform/Dialogs.h"
#include "platform/serial/NetworkSerialAddress.h"
#include "platform/serial/SerialDevices.h"
#include "platform/serial/SerialPortNames.h"
#include "transfer/SerialTables.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { PortColumn, DeviceColumn, StateColumn };

QStringList portNames()
{
    QStringList names = SerialTables::portList();
    names.removeAll(QString());
    return names;
}

// A device is a path; a line break or other control character would end up in the settings file.
bool isValidDevice(const QString &device)
{
    if (device.isEmpty())
        return true;
    if (!device.startsWith(QLatin1Char('/')))
        return false;
    for (const QChar c : device)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

} // namespace

SerialPortsWindow::SerialPortsWindow(const QString &deviceRoot, QWidget *parent)
    : QDialog(parent), m_root(deviceRoot)
{
    setObjectName(QStringLiteral("Form_SerialPorts"));
    setWindowTitle(Texts::extra("Extra.SerialPortsCaption"));
    auto *layout = new QVBoxLayout(this);

    m_intro = new QLabel(Texts::extra("Extra.SerialPortsIntro"), this);
    m_intro->setObjectName(QStringLiteral("IntroLabel"));
    m_intro->setWordWrap(true);
    layout->addWidget(m_intro);
    auto *network = new QLabel(Texts::extra("Extra.SerialPortsIntroNetwork"), this);
    network->setObjectName(QStringLiteral("NetworkIntroLabel"));
    network->setWordWrap(true);
    layout->addWidget(network);

    m_ports = new QTreeWidget(this);
    m_ports->setObjectName(QStringLiteral("PortList"));
    m_ports->setRootIsDecorated(false);
    m_ports->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_ports->setHeaderLabels({Texts::extra("Extra.SerialPortsPort"), Texts::extra("Extra.SerialPortsDevice"),
                              Texts::extra("Extra.SerialPortsState")});
    const QStringList names = portNames();
    for (int row = 0; row < names.size(); ++row) {
        auto *item = new QTreeWidgetItem(m_ports, {names.at(row)});
        auto *field = new QComboBox(m_ports);
        field->setObjectName(QStringLiteral("Device_%1").arg(names.at(row)));
        field->setEditable(true);
        field->setInsertPolicy(QComboBox::NoInsert);
        field->lineEdit()->setPlaceholderText(SerialPortNames::defaultDeviceFor(names.at(row)));
        m_ports->setItemWidget(item, DeviceColumn, field);
        m_fields << field;
        connect(field, &QComboBox::currentTextChanged, this, [this, row] { updateState(row); });
    }
    m_ports->header()->setSectionResizeMode(PortColumn, QHeaderView::ResizeToContents);
    m_ports->header()->setSectionResizeMode(DeviceColumn, QHeaderView::Stretch);
    m_ports->header()->setSectionResizeMode(StateColumn, QHeaderView::ResizeToContents);
    m_ports->header()->setStretchLastSection(false);
    // All twelve names at once, without scrolling.
    m_ports->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_ports->setFixedHeight(m_ports->header()->sizeHint().height() + 2 * m_ports->frameWidth()
                            + int(names.size()) * m_ports->sizeHintForRow(0) + 2);
    layout->addWidget(m_ports);

    m_foundCaption = new QLabel(Texts::extra("Extra.SerialPortsFound"), this);
    layout->addWidget(m_foundCaption);
    m_found = new QTreeWidget(this);
    m_found->setObjectName(QStringLiteral("FoundDevices"));
    m_found->setRootIsDecorated(false);
    m_found->setHeaderHidden(true);
    m_found->setColumnCount(2);
    m_found->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(m_found, &QTreeWidget::itemDoubleClicked, this, &SerialPortsWindow::FoundDeviceActivated);
    m_found->setMinimumHeight(6 * m_found->fontMetrics().height());
    layout->addWidget(m_found, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *save = new QPushButton(Texts::extra("Extra.SerialPortsSave"), this);
    save->setObjectName(QStringLiteral("SaveButton"));
    save->setDefault(true);
    auto *cancel = new QPushButton(Texts::extra("Extra.Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton *b : {save, cancel}) {
        b->setMinimumWidth(110);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, &SerialPortsWindow::SaveClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, sizeHint().height());
}

QComboBox *SerialPortsWindow::deviceField(const QString &portName) const
{
    const int row = portNames().indexOf(portName.toUpper());
    return row < 0 ? nullptr : m_fields.at(row);
}

void SerialPortsWindow::load(const QString &portName)
{
    const QList<SerialDevices::Device> devices = SerialDevices::scan(m_root);
    QStringList paths;
    m_found->clear();
    for (const SerialDevices::Device &d : devices) {
        paths << d.path;
        auto *item = new QTreeWidgetItem(m_found, {d.path, d.target.isEmpty() ? QString() : QStringLiteral("→ ") + d.target});
        item->setData(0, Qt::UserRole, d.path);
    }
    if (devices.isEmpty()) {
        auto *item = new QTreeWidgetItem(m_found, {Texts::extra("Extra.SerialPortsNoneFound")});
        item->setFlags(Qt::NoItemFlags);
    }
    const QStringList names = portNames();
    for (int row = 0; row < names.size(); ++row) {
        QComboBox *field = m_fields.at(row);
        const QSignalBlocker block(field);
        field->clear();
        field->addItems(paths);
        field->setEditText(SerialPortNames::mappedDeviceFor(names.at(row)));
        updateState(row);
    }
    const int current = names.indexOf(portName.toUpper());
    m_ports->setCurrentItem(m_ports->topLevelItem(current < 0 ? 0 : current));
}

void SerialPortsWindow::updateState(int row)
{
    const QString typed = m_fields.at(row)->currentText().trimmed();
    const QString device = typed.isEmpty() ? m_fields.at(row)->lineEdit()->placeholderText() : typed;
    // A device server is not looked for on the network here: the port test does that.
    const char *state = NetworkSerialAddress::looksLikeAddress(device) ? "Extra.SerialPortsNetwork"
                        : SerialDevices::exists(device)                ? "Extra.SerialPortsPresent"
                                                                       : "Extra.SerialPortsAbsent";
    m_ports->topLevelItem(row)->setText(StateColumn, Texts::extra(state));
}

void SerialPortsWindow::FoundDeviceActivated(QTreeWidgetItem *item)
{
    const QString path = item ? item->data(0, Qt::UserRole).toString() : QString();
    const int row = m_ports->indexOfTopLevelItem(m_ports->currentItem());
    if (path.isEmpty() || row < 0)
        return;
    m_fields.at(row)->setEditText(path);
}

void SerialPortsWindow::SaveClick()
{
    const QStringList names = portNames();
    QList<SerialPortNames::Mapping> changed;
    for (int row = 0; row < names.size(); ++row) {
        const QString device = m_fields.at(row)->currentText().trimmed();
        if (NetworkSerialAddress::looksLikeAddress(device) && !NetworkSerialAddress::parse(device)) {
            Msg::error(Texts::extra("Extra.SerialPortsBadAddress").arg(device, names.at(row)));
            m_ports->setCurrentItem(m_ports->topLevelItem(row));
            m_fields.at(row)->setFocus();
            return;
        }
        if (!NetworkSerialAddress::looksLikeAddress(device) && !isValidDevice(device)) {
            Msg::error(Texts::extra("Extra.SerialPortsBadDevice").arg(device, names.at(row)));
            m_ports->setCurrentItem(m_ports->topLevelItem(row));
            m_fields.at(row)->setFocus();
            return;
        }
        if (device != SerialPortNames::mappedDeviceFor(names.at(row)))
            changed.append({names.at(row), device});
    }
    QString error;
    if (!SerialPortNames::writeMappings(changed, &error)) {
        Msg::error(Texts::extra("Extra.SerialPortsNotSaved").arg(error));
        return;
    }
    accept();
}
