#include "document/StudyFacts.h"

#include "analysis/LeftOut.h"
#include "document/Document.h"

namespace sortana {

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

} // namespace

std::vector<StudyFact> studyFacts(const Document &document)
{
    const StudySummary &s = document.study().summary;
    const QString leftOut = leftOutText(document.study());
    return {
        {QStringLiteral("Input file"), s.fileName},
        {QStringLiteral("Participants counted"), QString::number(s.countedParticipants()), true},
        {QStringLiteral("Participants left out"), leftOut.isEmpty() ? QStringLiteral("none") : leftOut},
        {QStringLiteral("Cards"), QString::number(s.itemCount), true},
        {QStringLiteral("Quality of fit used"), yesNo(s.useFit)},
        {QStringLiteral("Sub-groups used"), yesNo(s.useSubGroups)},
        {QStringLiteral("Expert"),
         s.useExpert ? QStringLiteral("the first participant, not counted") : QStringLiteral("none")},
        {QStringLiteral("Card sets per participant"), QString::number(s.copiesPerParticipant), true},
    };
}

QDateTime creationTime()
{
    bool isNumber = false;
    const qint64 seconds = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&isNumber);
    // A value no date can stand for is ignored, as an unset one is.
    const QDateTime fixed = isNumber && seconds >= 0 ? QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC) : QDateTime();
    return fixed.isValid() ? fixed : QDateTime::currentDateTimeUtc();
}

std::optional<double> similarityPercent(const Document &document, double similarity)
{
    if (!document.hasStudy())
        return std::nullopt;
    const double most =
        double(document.study().summary.maxScorePerItem()) * document.study().summary.countedParticipants();
    if (!(most > 0))
        return std::nullopt;
    return 100.0 * similarity / most;
}

} // namespace sortana
