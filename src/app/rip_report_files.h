#pragma once

#include "app/disc_info_store.h"
#include "app/options_setting.h"
#include "app/rip_record.h"

#include <string>
#include <vector>

namespace corvath {

/// The name, without extension, that a rip's log and cue sheet share: "<artist> - <album>",
/// only the one given when the other is empty, the disc identifier when both are ("Rip"
/// without one). A '/' becomes '-' and control characters spaces, and a very long name is cut,
/// so that it is always a valid file name.
std::string RipReportName(const TDiscFields& disc, const std::string& discId);

/// Writes the rip's log (RipLogText, "<name>.log") when options.WriteLog is set and its cue
/// sheet (CueSheetText, "<name>.cue") when options.WriteCueSheet is and a track has a file, into
/// folder. The name is RipReportName, or the first of "<name> (2)", "<name> (3)" ... for which
/// neither file exists yet, so an earlier rip's files stay. Each file is written whole or not
/// at all; the cue sheet is written also when the log cannot be. Why each file that could not
/// be written was not ("Cannot write <file>: <reason>"), none on success; never throws. log,
/// when given, gets the path of the log written.
std::vector<std::string> WriteRipReport(const RipRecord& record, const std::string& folder,
                                        const TRipOptions& options, std::string* log = nullptr);

} // namespace corvath
