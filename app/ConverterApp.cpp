#include "ConverterApp.h"

#include "MainDialog.h"

#include "AppIcon.h"
#include "PageServices.h"
#include "QtPrompts.h"

#include <QDir>

ConverterApp::ConverterApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setWindowIcon(res::AppIcon());
    setDesktopFileName(QStringLiteral("tessaglyph"));
}

bool ConverterApp::InitInstance()
{
    QtPrompts prompts;
    // The settings live beside the executable.
    const QString config = QDir(applicationDirPath()).filePath(QStringLiteral("config.ini"));
    const PageServices services{prompts, QDir::toNativeSeparators(config).toStdString()};

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
