#pragma once

#include "audio/model/au_file_out.h"
#include "tags/apev2_tags.h"
#include "tags/id3v1_tags.h"
#include "tags/id3v2_tags.h"

namespace corvath {

/// A file sink that writes tags through its encoder.
class TAuTaggedFileOut : public TAuFileOut {
public:
    using TAuFileOut::TAuFileOut;

    TId3v1Tags& Id3v1Tags() { return id3v1Tags_; }
    TId3v2Tags& Id3v2Tags() { return id3v2Tags_; }
    TAPEv2Tags& APEv2Tags() { return apev2Tags_; }
    /// Copies the given tags into the sink's own container.
    void SetId3v2Tags(const TId3v2Tags& tags) { id3v2Tags_.Assign(tags); }

private:
    TId3v1Tags id3v1Tags_;
    TId3v2Tags id3v2Tags_;
    TAPEv2Tags apev2Tags_;
};

} // namespace corvath
