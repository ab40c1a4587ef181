#pragma once

#include "lookup/cddb_client.h"
#include "platform/cdrom/cd_records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvath {

/// The CDDB protocol over HTTP: the requests we send and the answers we accept.

/// http://<server><script>?cmd=<command>&hello=<user>+<host>+<program>+<version>&proto=6,
/// the command's spaces written as "+". Level 6 asks for UTF-8 answers.
std::string CddbRequestUrl(const CddbSettings& settings, std::string_view command);

/// "cddb query <disc id> <tracks> <offset>... <seconds>": the tracks' start frames (with the
/// two-second lead-in) and the disc's length in whole seconds from the lead-out's frame.
std::string CddbQueryCommand(std::string_view discId, const std::vector<uint32_t>& trackOffsets,
                             uint32_t leadOutOffset);

/// "cddb read <category> <disc id>".
std::string CddbReadCommand(const CddbMatch& match);

/// Fills matches from a query answer: one for 200, the listed ones for 210 and 211 (no more
/// than the Count the list had on entry, nor than 10), none for 202. Returns kCdErrorNone, or
/// kCdErrorServer for an error code or an answer that is no CDDB answer (matches.Count is 0).
int32_t ParseCddbQueryAnswer(std::string_view body, CddbMatchList& matches);

/// The answer's first line when it is a status line ("<code> <text>"), trimmed of spaces; empty
/// when the answer is no CDDB answer.
std::string CddbStatusLine(std::string_view body);

/// Whether a status line turns the program itself away rather than the request: a failed or
/// forbidden handshake (431, 432), or a server error naming the client or its e-mail address,
/// as servers that serve only registered programs answer ("500 Unknown developer email").
bool CddbStatusRefusesClient(std::string_view statusLine);

/// The entry lines of a read answer (code 210), without the status line and the closing ".",
/// joined by "\n"; nothing for any other answer.
std::optional<std::string> ParseCddbReadAnswer(std::string_view body);

} // namespace corvath
