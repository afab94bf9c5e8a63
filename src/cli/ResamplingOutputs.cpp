#include "cli/ResamplingOutputs.h"

#include "analysis/Cophenetic.h"
#include "analysis/Resampling.h"
#include "analysis/ResamplingExport.h"
#include "cli/CommandFiles.h"
#include "cli/ExitStatus.h"
#include "document/Document.h"
#include "platform/Platform.h"

#include <memory>
#include <new>

#include <unistd.h>

namespace sortana {

namespace {

constexpr char16_t notEnoughMemory[] = u"Error - not enough memory to resample this study";

// Percent done on one line of a terminal, rewritten as it grows; nothing when `err` is
// redirected, so that logs hold only messages.
Progress terminalProgress(std::FILE *err, const char *what)
{
    if (!isatty(fileno(err)))
        return {};
    auto shown = std::make_shared<qint64>(-1);
    return [err, what, shown](qint64 done, qint64 total) {
        const qint64 percent = total > 0 ? done * 100 / total : 100;
        if (percent != *shown) {
            *shown = percent;
            std::fprintf(err, "\r%s: %lld %%%s", what, static_cast<long long>(percent), done == total ? "\n" : "");
            std::fflush(err);
        }
        return true;
    };
}

// A run's result; nothing, after telling the user, when its tables did not fit in memory
// (nothing here cancels a run).
template <typename Run> auto runOrTell(Platform &platform, Run run) -> decltype(run())
{
    decltype(run()) result;
    try {
        result = run();
    } catch (const std::bad_alloc &) {
    }
    if (!result)
        platform.error(QString::fromUtf16(notEnoughMemory));
    return result;
}

} // namespace

bool wantsResampling(const ExportOptions &options)
{
    return !options.supportPath.isEmpty() || !options.stabilityPath.isEmpty() || !options.adequacyPath.isEmpty()
        || options.cophenetic;
}

int writeResamplingOutputs(const ExportOptions &options, const Document &document, Platform &platform,
                           std::FILE *out, std::FILE *err)
{
    const quint64 seed = options.seed.value_or(1);
    const bool replicated = !options.supportPath.isEmpty() || !options.stabilityPath.isEmpty();
    if (replicated || !options.adequacyPath.isEmpty()) {
        if (const QString problem = resamplingProblem(document.study()); !problem.isEmpty()) {
            platform.error(problem);
            return exitFailed;
        }
    }
    if (replicated) {
        const int replicates = options.replicates.value_or(defaultReplicates);
        std::optional<TreeSupport> support = document.treeSupport();
        if (!support || support->replicates != replicates || support->seed != seed)
            support = runOrTell(platform, [&] {
                return computeTreeSupport(document.study(), replicates, seed, terminalProgress(err, "Join support"));
            });
        if (!support)
            return exitFailed;
        const int groups = options.groupCount.value_or(document.settings().numberOfGroups);
        if ((!options.supportPath.isEmpty()
             && !writeOutputFile(options.supportPath, csvText(supportTable(*support, document.study())), platform))
            || (!options.stabilityPath.isEmpty()
                && !writeOutputFile(options.stabilityPath, csvText(stabilityTable(*support, document.study(), groups)),
                                    platform)))
            return exitFailed;
    }
    if (!options.adequacyPath.isEmpty()) {
        const int subsets = options.subsets.value_or(defaultSubsets);
        std::optional<Adequacy> adequacy = document.adequacy();
        if (!adequacy || adequacy->subsets != subsets || adequacy->seed != seed)
            adequacy = runOrTell(platform, [&] {
                return computeAdequacy(document.study(), subsets, seed, terminalProgress(err, "Enough participants"));
            });
        if (!adequacy || !writeOutputFile(options.adequacyPath, csvText(adequacyTable(*adequacy)), platform))
            return exitFailed;
    }
    if (options.cophenetic) {
        const std::optional<double> r = copheneticCorrelation(document.study());
        if (!r) {
            platform.error(QStringLiteral("The cophenetic correlation is not defined for this study: it needs a "
                                          "pair matrix and pair scores that are not all alike."));
            return exitFailed;
        }
        std::fprintf(out, "%s\n", qPrintable(formatCorrelation(*r)));
    }
    return exitSuccess;
}

} // namespace sortana
