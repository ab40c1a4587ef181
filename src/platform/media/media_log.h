#pragma once

namespace corvath {

/// Whether FFmpeg's own log lines reach standard error. They carry bytes of the files read
/// (tags among them) as they are, so they are shown only when the user asks for them.
void ShowMediaLibraryLog(bool show);

} // namespace corvath
