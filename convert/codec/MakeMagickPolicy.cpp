// Build-time tool: writes the workers' ImageMagick policy, derived from the
// table of readable formats, to the file named on the command line.
#include "MagickPolicy.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: tessaglyph-make-policy OUTPUT.xml\n", stderr);
        return 2;
    }
    const std::string xml = WorkerPolicyXml();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << xml;
    out.close();
    if (!out) {
        std::fprintf(stderr, "tessaglyph-make-policy: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
