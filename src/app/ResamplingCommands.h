#pragma once

#include "analysis/Resampling.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class QWidget;

namespace sortana {

class Document;
class Platform;

// What a resampling run is asked for: how many replicates or sub-samples, and the seed.
struct ResamplingOptions {
    int count = 1000;
    quint64 seed = 1;
};
inline constexpr int leastResamplingCount = 10;
inline constexpr int mostResamplingCount = 10000;
inline constexpr int defaultReplicates = 1000;
inline constexpr int defaultSubsets = 200;

// A small dialog for the options, with the count's label given; nullopt when cancelled.
std::optional<ResamplingOptions> askResamplingOptions(QWidget *parent, const QString &title, const QString &countLabel,
                                                      ResamplingOptions initial);

// How a run ended: with a result, cancelled by the user, or without a result that nobody
// cancelled (the job gave none, or memory ran out).
enum class RunOutcome { Finished, Cancelled, Failed };

// What the user is told when a run fails.
QString notEnoughMemoryMessage();

// Runs the job on a thread of its own while a progress dialog (object name
// "resamplingProgress") with the title and label given shows how far it has come; its
// Cancel asks the job to stop.
RunOutcome runWithProgress(QWidget *parent, const QString &title, const QString &label,
                           const std::function<bool(const Progress &)> &job);

// Analysis > Check Stability: the join support and the replicates the group stability is
// read from, with these options, kept in the document (which is then modified) and shown at
// once. Results the document holds for the same options are shown without running again.
// False, leaving the document as it was, when the run was cancelled or the study cannot be
// resampled (the user is told why).
bool checkStability(Document &document, ResamplingOptions options, Platform &platform, QWidget *parent);

// Analysis > Enough Participants: the curve with these options, kept in the document in the
// same way.
bool checkEnoughParticipants(Document &document, ResamplingOptions options, Platform &platform, QWidget *parent);

} // namespace sortana
