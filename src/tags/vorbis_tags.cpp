#include "tags/vorbis_tags.h"

namespace corvath {

TVorbisTags::TVorbisTags()
{
    for (std::string_view name : {"album", "artist", "date", "genre", "title", "tracknumber"})
        DeclareName(name);
}

} // namespace corvath
