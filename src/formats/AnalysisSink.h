#pragma once

#include <QStringView>

namespace sortana {

// The analysis engine's five outputs, in the order the analysis files are named.
enum class AnalysisFile : quint8 { Cards, Items, Participants, Matrix, WeightedMatrix };
inline constexpr int analysisFileCount = 5;

// Where the analysis engine hands the rows of its five outputs as it makes them: each row its
// cells separated by tabs and ended by CR LF, in one piece or several. The pieces of one
// output come in order from one thread at a time; two outputs may be written at once from two
// threads. The analysis files are one such sink; a sink that keeps the rows in memory lets
// another output be made from them without files.
class AnalysisSink {
public:
    virtual ~AnalysisSink() = default;
    virtual void write(AnalysisFile file, QStringView text) = 0;
};

} // namespace sortana
