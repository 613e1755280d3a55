#pragma once

#include <QApplication>

// The application: runs the main dialog modally and ends when it closes.
class ConverterApp : public QApplication {
    Q_OBJECT

public:
    ConverterApp(int& argc, char** argv);

    // Runs the main dialog to its end; always false, so main() returns
    // ExitInstance() without an event loop of its own.
    bool InitInstance();

    // The program's exit code.
    int ExitInstance();
};
