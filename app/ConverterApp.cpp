#include "ConverterApp.h"

#include "MainDialog.h"
#include "StartupArguments.h"

#include "AppIcon.h"
#include "CrispFrameStyle.h"
#include "ConfigFilePath.h"
#include "ConversionEngine.h"
#include "PageServices.h"
#include "QtPrompts.h"
#include "SystemInfo.h"
#include "WorkerLocation.h"

#include <QStyle>

#include <iostream>
#include <string>

namespace {

// Why the worker program cannot be started, or empty when it can be.
std::string WorkerProblem(const std::string& program)
{
    const std::string why = WhyNotExecutable(program);
    if (why.empty())
        return {};
    return "Pictures can be neither shown nor converted: the converter's worker program cannot be started.\n" +
           program + ": " + why;
}

}  // namespace

ConverterApp::ConverterApp(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setStyle(new res::CrispFrameStyle(style()->name()));
    setWindowIcon(res::AppIcon());
    setDesktopFileName(QStringLiteral("tessaglyph"));
}

bool ConverterApp::InitInstance()
{
    QtPrompts prompts;
    // Made before the window and ended after it: the pages use it to the end.
    EngineOptions options;
    options.workerProgram = DefaultWorkerProgram();
    ConversionEngine engine(options);
    const std::string problem = WorkerProblem(options.workerProgram);
    if (!problem.empty())
        prompts.ShowMessage(nullptr, problem, MessageIcon::Warning);

    const PageServices services{prompts, ConfigFilePath(), &engine};
    MainDialog dialog(services);
    OpenStartupArguments(arguments().mid(1), dialog, std::cerr);
    dialog.exec();
    return false;
}

int ConverterApp::ExitInstance()
{
    return 0;
}
