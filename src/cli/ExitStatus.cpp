#include "cli/ExitStatus.h"

#include <cstdio>

namespace sortana {

int usage()
{
    std::fputs("Usage: sortana-cli import INPUT [--fit|--no-fit] [--sub-groups|--no-sub-groups] [--expert]\n"
               "                          [--copies N] [--on-warning continue|cancel] [--outdir DIR]\n"
               "       sortana-cli survey INPUT\n",
               stderr);
    return exitUsage;
}

} // namespace sortana
