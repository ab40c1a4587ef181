#pragma once

#include "platform/cdrom/cdio_source.h"

#include <string>

namespace corvath {

/// Opens a cdrdao TOC image. libcdio 2.1 looks for the data files a TOC names in the current
/// folder instead of the TOC's own, so it is given a short-lived copy of the TOC that names
/// them by absolute path. Null when the image cannot be opened.
CdioHandle OpenCdrdaoImage(const std::string& tocPath);

} // namespace corvath
