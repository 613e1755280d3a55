#include "ConverterApp.h"

#include "MainDialog.h"

#include "AppIcon.h"
#include "ConfigFilePath.h"
#include "PageServices.h"
#include "QtPrompts.h"

ConverterApp::ConverterApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setWindowIcon(res::AppIcon());
    setDesktopFileName(QStringLiteral("tessaglyph"));
}

bool ConverterApp::InitInstance()
{
    QtPrompts prompts;
    const PageServices services{prompts, ConfigFilePath()};

    MainDialog dialog(services);
    m_pMainWnd = &dialog;
    dialog.exec();
    m_pMainWnd = nullptr;
    return false;
}

int ConverterApp::ExitInstance()
{
    return 0;
}
