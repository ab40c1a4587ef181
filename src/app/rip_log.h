#pragma once

#include "app/rip_record.h"

#include <string>

namespace corvath {

/// The log of a rip as UTF-8 text with "\n" line ends, the same for the same rip so that two
/// logs can be compared line by line: the program, date, drive and read settings; the disc and
/// its table of contents with the pre-gaps known; per ripped track its file, checksums,
/// AccurateRip verdict, doubtful sectors and failure; and a last line that is exactly "All
/// tracks accurately ripped" when every track was, else names the tracks that were not and why.
std::string RipLogText(const RipRecord& record);

} // namespace corvath
