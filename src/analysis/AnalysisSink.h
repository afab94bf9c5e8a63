#pragma once

#include <QtGlobal>

namespace sortana {

class AnalysisRow;

// The analysis engine's five outputs, in the order the analysis files are named.
enum class AnalysisFile : quint8 { Cards, Items, Participants, Matrix, WeightedMatrix };
inline constexpr int analysisFileCount = 5;

// Where the analysis engine hands the rows of its five outputs as it makes them. The rows of
// one output come in order from one thread at a time; two outputs may be written at once
// from two threads. The analysis files take each row's text; a sink that makes another
// output from the rows (a workbook's sheets) asks for their typed cells as well.
class AnalysisSink {
public:
    virtual ~AnalysisSink() = default;
    virtual void write(AnalysisFile file, const AnalysisRow &row) = 0;
    // Whether the rows handed over carry their cells (AnalysisRow::cells); keeping them
    // costs time, so only a sink that reads them asks.
    virtual bool wantsCells() const { return false; }
};

} // namespace sortana
