#pragma once

#include <QStringList>

#include <ostream>

class MainDialog;

// The window's only command line: files and folders to open, as a file
// manager's "Open with" passes them. One file becomes the Single page's In
// File and that page is shown; several files, or any folder, go into the
// Batch list exactly as if dropped onto that page, and the Batch page is
// shown. Anything else (an option, a path that does not exist) is left out
// with one line on `errors`; the window starts all the same. After "--"
// every argument is a path.
//
// `arguments` is the command line without the program's name. User-interface
// thread, after the dialog is made and before it runs.
void OpenStartupArguments(const QStringList& arguments, MainDialog& dialog, std::ostream& errors);
