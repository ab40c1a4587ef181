#include "codecs/finished_file_tags.h"

namespace corvath {

void TagFinishedFiles(TAuFileOut& out, FileTagFormat format, const TrackRecord& track)
{
    out.SetCompletedFileStep(
        [format, track](const std::string& file) { WriteFileTags(file, format, track); });
}

} // namespace corvath
