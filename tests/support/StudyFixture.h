#pragma once

#include "formats/CardSortAnalysis.h"
#include "support/ScriptedPlatform.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sortana::test {

// One import engine over a raw data file in a scratch folder, with scripted message boxes.
class StudyFixture : public ::testing::Test {
protected:
    StudyFixture();

    QString path(const QString &name) const { return dir.filePath(name); }
    // Writes the study (8-bit text as given) and surveys it, as step 1 of an import does.
    bool surveyText(const QByteArray &bytes, const QString &name = QStringLiteral("study.txt"));
    // Options as step 1 presets them from the survey, then adjusted by the test.
    void presetOptions();
    int read();
    // The Cards file as a successful read left it.
    QString cards();
    int cell(int row, int col) const { return analysis.pairMatrix.at(row, col); }

    QTemporaryDir dir;
    ScriptedPlatform platform;
    AnalysisFileNames names;
    StudySummary summary;
    CardSortAnalysis analysis{names, summary, platform};
};

} // namespace sortana::test
