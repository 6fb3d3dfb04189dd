#include "SerialSettings.h"

void SerialSettings::applyFlowPreset(FlowPreset preset)
{
    switch (preset) {
    case FlowPreset::Custom:
        rtsControl = RtsControl::Enable;
        break;
    case FlowPreset::Hardware:
        rtsControl = RtsControl::Handshake;
        ctsOutputFlow = true;
        xonXoffOut = xonXoffIn = false;
        break;
    case FlowPreset::None:
        rtsControl = RtsControl::Disable;
        ctsOutputFlow = false;
        xonXoffOut = xonXoffIn = false;
        break;
    case FlowPreset::Software:
        rtsControl = RtsControl::Disable;
        ctsOutputFlow = false;
        xonXoffOut = xonXoffIn = true;
        break;
    }
}

SerialSettings SerialSettings::sendWindowDesign()
{
    SerialSettings s;
    s.dtrControl = DtrControl::Enable;
    s.rtsControl = RtsControl::Disable;
    s.continueOnXoff = true;
    return s;
}

SerialSettings SerialSettings::receiveWindowDesign()
{
    SerialSettings s;
    s.dtrControl = DtrControl::Disable;
    s.rtsControl = RtsControl::Disable;
    return s;
}

SerialSettings SerialSettings::registrationTestDesign()
{
    SerialSettings s;
    s.ctsOutputFlow = true;
    s.dtrControl = DtrControl::Handshake;
    s.rtsControl = RtsControl::Handshake;
    return s;
}
