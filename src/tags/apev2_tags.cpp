#include "tags/apev2_tags.h"

namespace corvath {

TAPEv2Tags::TAPEv2Tags()
{
    for (std::string_view name :
         {"Artist",       "Composer",        "Album",    "Debut album", "Publisher",
          "Conductor",    "Copyright",       "ISBN",     "ISRC",        "EAN/UPC",
          "LC",           "Catalog",         "Language", "Genre",       "Year",
          "Record Date",  "Record Location", "File",     "Related",     "Abstract",
          "Bibliography", "Track",           "Title",    "Subtitle",    "Comment"})
        DeclareName(name);
}

} // namespace corvath
