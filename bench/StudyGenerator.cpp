#include "StudyGenerator.h"

#include "document/Document.h"
#include "support/ScriptedPlatform.h"
#include "tasks/ImportRun.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

namespace sortana::bench {

namespace {

void appendLine(QByteArray &out, char kind, const QByteArray &value)
{
    out.append(kind);
    out.append(value);
    out.append('\n');
}

} // namespace

qint64 writeStudy(const QString &path, const StudyShape &shape, quint32 seed)
{
    if (shape.items < 1 || shape.participants < 1 || shape.groupsPerParticipant < 1
        || shape.items < shape.groupsPerParticipant)
        return -1;

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return -1;

    // std::mt19937 is specified bit for bit, unlike the standard distributions, so the
    // shuffle and the fit scores are drawn from it directly to keep the file reproducible
    // across standard libraries.
    std::mt19937 random(seed);
    const auto below = [&random](quint32 bound) { return static_cast<quint32>(random() % bound); };

    QByteArray out;
    for (int item = 1; item <= shape.items; ++item)
        appendLine(out, 'I', "Card " + QByteArray::number(item));
    for (int group = 1; group <= shape.groupsPerParticipant; ++group)
        appendLine(out, 'G', "Pile " + QByteArray::number(group));

    std::vector<int> order(static_cast<size_t>(shape.items));
    std::iota(order.begin(), order.end(), 1);
    const auto flushIfLarge = [&] {
        if (out.size() < (1 << 20))
            return true;
        const bool written = file.write(out) == out.size();
        out.clear();
        return written;
    };

    for (int participant = 1; participant <= shape.participants; ++participant) {
        appendLine(out, 'P', QByteArray::number(participant));
        for (size_t k = order.size() - 1; k > 0; --k)
            std::swap(order[k], order[below(static_cast<quint32>(k + 1))]);

        size_t next = 0;
        for (int group = 0; group < shape.groupsPerParticipant; ++group) {
            // Even sizes; the first groups take one card more when the division leaves some.
            const size_t size = static_cast<size_t>(shape.items / shape.groupsPerParticipant
                                                    + (group < shape.items % shape.groupsPerParticipant ? 1 : 0));
            appendLine(out, 'G', QByteArray::number(group + 1));
            for (size_t k = 0; k < size; ++k) {
                // A sub-group needs a card on both sides of its line, or the reader warns.
                if (size >= 2 && k == size / 2)
                    appendLine(out, 'S', {});
                appendLine(out, 'I',
                           QByteArray::number(order[next + k]) + 'f' + QByteArray::number(1 + below(3)));
            }
            next += size;
        }
        if (!flushIfLarge())
            return -1;
    }
    if (file.write(out) != out.size())
        return -1;
    file.close();
    return file.error() == QFileDevice::NoError ? file.size() : -1;
}

QString labelSpelling(int label, quint32 variant)
{
    QString name = QStringLiteral("Topic number %1").arg(label);
    switch (variant % 4) {
    case 0: return name;
    case 1: return name.toLower();
    case 2: return QStringLiteral("  ") + name.toUpper();
    default: return QStringLiteral("Topic  number %1 ").arg(label);
    }
}

StudySorts openSortOf(int cards, int participants, int labels)
{
    StudySorts study;
    QRandomGenerator random(7);
    std::vector<int> order(static_cast<std::size_t>(cards));
    std::iota(order.begin(), order.end(), 0);
    for (int p = 0; p < participants; ++p) {
        ParticipantSort participant{QStringLiteral("P%1").arg(p + 1), true, {}};
        const int groups = 6 + int(random.bounded(9));
        std::shuffle(order.begin(), order.end(), random);
        participant.groups.resize(std::size_t(groups));
        for (SortGroup &group : participant.groups) {
            group.name = random.bounded(20) == 0 ? QStringLiteral("-----")
                                                 : labelSpelling(int(random.bounded(labels)), random.generate());
        }
        for (int k = 0; k < cards; ++k)
            participant.groups[std::size_t(k % groups)].cards.push_back({order[std::size_t(k)], 1, 0});
        study.participants.push_back(std::move(participant));
    }
    return study;
}

std::unique_ptr<Document> importedStudy(const StudyShape &shape)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("study.txt"));
    writeStudy(path, shape);
    ScriptedPlatform platform;
    ImportRun run(platform);
    auto document = std::make_unique<Document>();
    if (!run.chooseInput(path) || !run.finish() || !completeImport(*document, run))
        std::abort();
    return document;
}

} // namespace sortana::bench
