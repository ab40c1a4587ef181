#pragma once

#include "audio/model/au_file_out.h"
#include "tags/file_tag_writer.h"
#include "tags/track_record.h"

namespace corvath {

/// Has the output write the track as a tag of that format into its next files once each is
/// complete, for the formats whose encoder writes no tags of its own. Main thread, output idle.
void TagFinishedFiles(TAuFileOut& out, FileTagFormat format, const TrackRecord& track);

} // namespace corvath
