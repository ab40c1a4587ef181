#pragma once

#include "audio/model/au_file_in.h"
#include "tags/apev2_tags.h"
#include "tags/id3v1_tags.h"
#include "tags/id3v2_tags.h"

namespace corvath {

/// A file source that also carries the file's tags.
class TAuTaggedFileIn : public TAuFileIn {
public:
    using TAuFileIn::TAuFileIn;

    TId3v1Tags& Id3v1Tags() { return id3v1Tags_; }
    TId3v2Tags& Id3v2Tags() { return id3v2Tags_; }
    TAPEv2Tags& APEv2Tags() { return apev2Tags_; }

private:
    TId3v1Tags id3v1Tags_;
    TId3v2Tags id3v2Tags_;
    TAPEv2Tags apev2Tags_;
};

} // namespace corvath
