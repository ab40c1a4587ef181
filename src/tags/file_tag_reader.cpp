#include "tags/file_tag_reader.h"

namespace corvath {

TrackRecord ReadFileTags(const std::string&)
{
    return {};
}

} // namespace corvath
