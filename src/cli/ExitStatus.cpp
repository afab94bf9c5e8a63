#include "cli/ExitStatus.h"

#include <cstdio>

namespace sortana {

int usage()
{
    std::fputs("Usage: sortana-cli import INPUT [--fit|--no-fit] [--sub-groups|--no-sub-groups] [--expert]\n"
               "                          [--copies N] [--on-warning continue|cancel] [--outdir DIR]\n"
               "                          [--document OUT.klus] [--picture OUT.svg|OUT.png|OUT.pdf]\n"
               "       sortana-cli survey INPUT\n"
               "       sortana-cli render DOC.klus OUT.svg|OUT.png|OUT.pdf\n"
               "       sortana-cli show DOC.klus\n",
               stderr);
    return exitUsage;
}

} // namespace sortana
