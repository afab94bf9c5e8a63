#include "support/StudyFixture.h"

#include "support/TestFiles.h"

namespace sortana::test {

StudyFixture::StudyFixture()
{
    EXPECT_TRUE(dir.isValid());
}

bool StudyFixture::surveyText(const QByteArray &bytes, const QString &name)
{
    writeBytes(path(name), bytes);
    summary.fileName = path(name);
    if (!analysis.surveyInputFile())
        return false;
    analysis.setInputFileName(summary.fileName);
    presetOptions();
    return true;
}

void StudyFixture::presetOptions()
{
    summary.useFit = summary.hasFitData;
    summary.useSubGroups = summary.hasSubGroups;
    summary.useExpert = false;
    summary.copiesPerParticipant = 1;
}

int StudyFixture::read()
{
    return analysis.Read();
}

QString StudyFixture::cards()
{
    // The Cards file only reaches its name when committed; the read leaves it open.
    EXPECT_TRUE(analysis.cardsFile.Commit());
    analysis.closeFiles();
    return readUtf16File(names.cardsPath);
}

} // namespace sortana::test
