#include "tags/id3v2_tags.h"

namespace corvath {

TId3v2Tags::TId3v2Tags()
{
    for (std::string_view name : {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM",
                                  "TENC", "TCOP", "TLAN", "WXXX", "TT2",  "TP1",  "TAL",  "TRK",
                                  "TYE",  "TCO",  "COM",  "TCM",  "TEN",  "TCR",  "TLA",  "WXX"})
        DeclareName(name);
}

} // namespace corvath
