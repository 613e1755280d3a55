#include "ConverterApp.h"

int main(int argc, char* argv[])
{
    ConverterApp app(argc, argv);
    if (!app.InitInstance())
        return app.ExitInstance();
}
