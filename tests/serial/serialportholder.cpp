// Another Zavrin program holding a port, for the port lock tests: opens the port named in its
// arguments, says "open" and keeps it until it reads "close" (or is killed).
//   tst_serialportholder APPDIR LOCKFOLDER PORT

#include "app/AppState.h"
#include "platform/Error.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/SerialPortLock.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: tst_serialportholder APPDIR LOCKFOLDER PORT\n");
        return 2;
    }
    app().AppDirectory = args.at(1);
    SerialPortLock::setFolder(args.at(2));
    SerialSettings settings = SerialSettings::sendWindowDesign();
    settings.portName = args.at(3);
    settings.applyFlowPreset(SerialSettings::FlowPreset::None);
    SerialPort port(settings);
    try {
        port.open();
    } catch (const Error &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("open\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line) && line != "close") {
    }
    port.close();
    return 0;
}
