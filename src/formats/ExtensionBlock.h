#pragma once

#include "analysis/Adequacy.h"
#include "analysis/TreeSupport.h"
#include "study/Standardisation.h"
#include "study/StudySorts.h"

#include <memory>
#include <optional>
#include <vector>

namespace sortana {

class ArchiveReader;
class ArchiveWriter;
class Document;
struct SimilarityData;

// What this program keeps in a document beyond the format's own fields, in one block after
// the last of them, so that other readers of the format, which stop there, still read the
// file. The block names itself and its version, and holds tagged sections, so that later
// additions go in without disturbing what is there; a reader skips sections
// it does not know.

// How the document is shown, beyond the format's own settings.
struct ViewSettings {
    bool showSimilarityScale = true;
    // The suggested names of the dendrogram's groups; off for documents that never said.
    bool showGroupNames = false;
    // The support of each join drawn beside it; off for documents that never said.
    bool showJoinSupport = false;
    bool operator==(const ViewSettings &) const = default;
};

// The document's additions, as read from a block.
struct DocumentExtensions {
    std::unique_ptr<SimilarityData> similarity;
    // Null for a document saved without the participants' sorts.
    std::unique_ptr<StudySorts> sorts;
    Standardisation standardisation;
    ViewSettings view;
    std::optional<TreeSupport> treeSupport;
    std::optional<Adequacy> adequacy;
    // Indexes into the sorts of the participants the study leaves out; empty for none.
    std::vector<qint32> leftOut;
    // Where the analysis files were last written; empty for a document that never said.
    QString analysisFolder;
};

// Writes nothing when there is nothing to add: no matrix, no sorts, no standardisation and
// the view as a document without the block shows it.
void writeExtensionBlock(ArchiveWriter &archive, const Document &document);

// Reads the block that follows the format's fields, when there is one. False when what
// follows is no well-formed block, or its contents do not fit the study of `itemCount`
// items: the document is then damaged.
bool readExtensionBlock(ArchiveReader &archive, int itemCount, DocumentExtensions &extensions);

} // namespace sortana
