#pragma once

#include "Tavelin/Export.h"

#include "Tavelin/ReaderMetadataStruct.h"

namespace Tav {

// Decides one capability from the reader's metadata. A rule refers to the reader's own record,
// so a refresh of the metadata changes its answer; the base rule always answers yes. A host's own
// rule refers to a record the host keeps for as long as the rule lives. Evaluate runs while the
// reader holds its lock: it decides from the record it is given and must not call its reader (its
// metadata, an operation), or the operation that asked waits for ever.
class TAV_API CapabilityRule {
public:
    explicit CapabilityRule(const ReaderMetadataStruct& metadata) : metadata_(metadata) {}
    virtual ~CapabilityRule();
    CapabilityRule(const CapabilityRule&) = delete;
    CapabilityRule& operator=(const CapabilityRule&) = delete;

    virtual bool Evaluate() const;

protected:
    const ReaderMetadataStruct& metadata_;
};

}  // namespace Tav
