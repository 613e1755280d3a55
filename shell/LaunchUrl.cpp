#include "LaunchUrl.h"

#include "LaunchCommand.h"

#include "DefaultApplication.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <iterator>
#include <optional>
#include <vector>

namespace {

bool IsRefused(const std::string& url)
{
    // A leading '-' would reach the program as an option, not an address.
    return url.empty() || url.front() == '-';
}

} // namespace

namespace {

// Starts program (a name looked up in $PATH, or an absolute path) with
// arguments and lets it run on its own; Qt reaps it.
int StartProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    const QString path = QStandardPaths::findExecutable(QString::fromStdString(program));
    if (path.isEmpty())
        return 2;  // not found, or not executable
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    process.setProgram(path);
    process.setArguments(list);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached() ? kLaunchSucceeded : 11;
}

// The kinds of document whose default application opens url, most specific first.
std::vector<std::string> MimeTypesFor(const std::string& url)
{
    std::vector<std::string> types;
    const std::size_t colon = url.find(':');
    const std::string scheme = colon == std::string::npos ? std::string() : url.substr(0, colon);
    if (!scheme.empty() && scheme.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.")
                               == std::string::npos)
        types.push_back("x-scheme-handler/" + QString::fromStdString(scheme).toLower().toStdString());
    if (types.empty() || types.front() != "x-scheme-handler/http")
        types.push_back("x-scheme-handler/http");
    types.push_back("text/html");
    return types;
}

int RunRegisteredBrowser(const std::string& entryText, const std::string& url)
{
    const auto exec = DesktopEntryExec(entryText);
    const auto command = exec ? BuildLaunchCommand(*exec, url) : std::nullopt;
    if (!command)
        return 27;
    // Like starting any program: success once it runs, whatever it does then.
    return StartProgram(command->front(), std::vector<std::string>(std::next(command->begin()), command->end()));
}

// How long xdg-open is given to say that it found no handler. It ends as
// soon as it has handed the address on, so this wait is short in practice.
constexpr int kOpenerVerdictMs = 2000;

// Runs the desktop's opener and waits briefly for its verdict: its exit code
// tells "no handler" apart from success. One that is still busy after the
// wait has started something and is left to finish on its own.
int RunDesktopOpener(const std::string& url)
{
    const QString path = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (path.isEmpty())
        return 2;
    // Owned by the application once it outlives this call; gone when it ends.
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(path, {QString::fromStdString(url)});
    if (!process->waitForStarted()) {
        process->deleteLater();
        return 11;
    }
    if (!process->waitForFinished(kOpenerVerdictMs))
        return kLaunchSucceeded;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0 ? kLaunchSucceeded : 31;
}

} // namespace

int LaunchUrl(const std::string& url, int showCommand)
{
    static_cast<void>(showCommand); // the desktop places the browser's window
    if (IsRefused(url))
        return 2;
    const int result = RunDesktopOpener(url);
    if (result > 32)
        return result;
    const auto entry = DefaultApplicationEntry(MimeTypesFor(url));
    if (!entry)
        return result;
    return RunRegisteredBrowser(entry->text, url);
}

