#include "app/ResamplingCommands.h"

#include "analysis/Adequacy.h"
#include "analysis/TreeSupport.h"
#include "document/Document.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>
#include <new>

namespace sortana {

namespace {

// The progress bar's steps, and how often it follows the run.
constexpr int progressSteps = 1000;
constexpr int progressInterval = 100;

// Runs on the study as it stands when it can be resampled: the worker holds the study, never
// the document, which the user may change or close meanwhile. Nothing when it cannot, or when
// the run failed, after telling the user why, or when cancelled.
template <typename Result, typename Compute>
std::optional<Result> runOnStudy(const Document &document, Platform &platform, QWidget *parent, const QString &title,
                                 const QString &label, Compute compute)
{
    const std::shared_ptr<const Study> study = document.sharedStudy();
    if (const QString problem = resamplingProblem(*study); !problem.isEmpty()) {
        platform.error(problem);
        return std::nullopt;
    }
    std::optional<Result> result;
    const RunOutcome outcome = runWithProgress(parent, title, label, [&](const Progress &progress) {
        result = compute(*study, progress);
        return result.has_value();
    });
    if (outcome == RunOutcome::Failed)
        platform.error(notEnoughMemoryMessage());
    if (outcome != RunOutcome::Finished)
        return std::nullopt;
    return result;
}

} // namespace

QString notEnoughMemoryMessage()
{
    return QCoreApplication::translate("ResamplingCommands", "There is not enough memory to resample this study.");
}

std::optional<ResamplingOptions> askResamplingOptions(QWidget *parent, const QString &title, const QString &countLabel,
                                                      ResamplingOptions initial)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto *count = new QSpinBox;
    count->setRange(leastResamplingCount, mostResamplingCount);
    count->setGroupSeparatorShown(true);
    count->setValue(initial.count);
    auto *seed = new QLineEdit(QString::number(initial.seed));
    seed->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,20}")), seed));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    const auto seedValue = [seed] {
        bool ok = false;
        const quint64 value = seed->text().toULongLong(&ok);
        return ok ? std::optional<quint64>(value) : std::nullopt;
    };
    // A seed beyond 64 bits, or none, cannot be taken.
    QObject::connect(seed, &QLineEdit::textChanged, buttons, [buttons, seedValue] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(seedValue().has_value());
    });
    auto *form = new QFormLayout(&dialog);
    form->addRow(countLabel, count);
    form->addRow(QCoreApplication::translate("ResamplingCommands", "&Seed:"), seed);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted || !seedValue())
        return std::nullopt;
    return ResamplingOptions{count->value(), *seedValue()};
}

RunOutcome runWithProgress(QWidget *parent, const QString &title, const QString &label,
                           const std::function<bool(const Progress &)> &job)
{
    // Shared with the worker, which may still report while the dialog goes.
    struct Shared {
        std::atomic<qint64> done{0};
        std::atomic<qint64> total{0};
        std::atomic<bool> cancelled{false};
    };
    auto shared = std::make_shared<Shared>();
    const Progress progress = [shared](qint64 done, qint64 total) {
        shared->done = done;
        shared->total = total;
        return !shared->cancelled;
    };
    bool finished = false;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        // What runs out of memory stops the run; thrown out of the thread it would end the
        // program.
        try {
            finished = job(progress);
        } catch (const std::bad_alloc &) {
            finished = false;
        }
    }));

    QProgressDialog dialog(label, QCoreApplication::translate("ResamplingCommands", "Cancel"), 0, progressSteps,
                           parent);
    dialog.setObjectName(QStringLiteral("resamplingProgress"));
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setMinimumDuration(0);
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [shared, &dialog] {
        shared->cancelled = true;
        dialog.setLabelText(QCoreApplication::translate("ResamplingCommands", "Cancelling..."));
    });
    QTimer timer;
    timer.setInterval(progressInterval);
    QObject::connect(&timer, &QTimer::timeout, &dialog, [shared, &dialog] {
        const qint64 total = shared->total;
        if (total > 0)
            dialog.setValue(int(shared->done * progressSteps / total));
    });
    worker->start();
    dialog.show();
    timer.start();
    loop.exec();
    worker->wait();
    // Cancel said after the last step still leaves the earlier results, as the user asked.
    if (shared->cancelled || dialog.wasCanceled())
        return RunOutcome::Cancelled;
    return finished ? RunOutcome::Finished : RunOutcome::Failed;
}

bool checkStability(Document &document, ResamplingOptions options, Platform &platform, QWidget *parent)
{
    const bool held = document.treeSupport() && document.treeSupport()->replicates == options.count
        && document.treeSupport()->seed == options.seed;
    if (!held) {
        std::optional<TreeSupport> support = runOnStudy<TreeSupport>(
            document, platform, parent, QCoreApplication::translate("ResamplingCommands", "Check Stability"),
            QCoreApplication::translate("ResamplingCommands", "Clustering %L1 replicates of the study...")
                .arg(options.count),
            [&](const Study &study, const Progress &progress) {
                return computeTreeSupport(study, options.count, options.seed, progress);
            });
        if (!support)
            return false;
        document.setModified(true);
        document.setTreeSupport(std::move(support));
    }
    if (!document.settings().showJoinSupport) {
        Settings shown = document.settings();
        shown.showJoinSupport = true;
        document.setModified(true);
        document.setSettings(shown);
    }
    return true;
}

bool checkEnoughParticipants(Document &document, ResamplingOptions options, Platform &platform, QWidget *parent)
{
    const bool held = document.adequacy() && document.adequacy()->subsets == options.count
        && document.adequacy()->seed == options.seed;
    if (held)
        return true;
    std::optional<Adequacy> adequacy = runOnStudy<Adequacy>(
        document, platform, parent, QCoreApplication::translate("ResamplingCommands", "Enough Participants"),
        QCoreApplication::translate("ResamplingCommands",
                                    "Comparing %L1 sub-samples of every size with the whole study...")
            .arg(options.count),
        [&](const Study &study, const Progress &progress) {
            return computeAdequacy(study, options.count, options.seed, progress);
        });
    if (!adequacy)
        return false;
    document.setModified(true);
    document.setAdequacy(std::move(adequacy));
    return true;
}

} // namespace sortana
