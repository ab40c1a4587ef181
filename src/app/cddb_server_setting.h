#pragma once

#include "app/options_setting.h"
#include "cd/cddb_server.h"

namespace corvath {

/// The CDDB server record of the query settings.
CddbServer CddbServerOf(const TQueryCDDB& settings);

} // namespace corvath
