#pragma once

#include "app/Application.h"

// Starts the real windows on the application folder `folder` (its Zavrin.ini written
// by the test), as the program does but without the splash and, unless asked,
// without maximising the main window.
inline TForm_Main *startWindows(const QString &folder, bool maximise = false)
{
    Application::Options options;
    options.appDirectory = folder;
    options.showSplash = false;
    options.maximise = maximise;
    TForm_Main *main = Application::createWindows(options);
    Application::firstShow(main, options);
    return main;
}
