#pragma once

#include "app/options_setting.h"
#include "lookup/cddb_server.h"

namespace corvath {

/// The CDDB server record of the query settings.
CddbServer CddbServerOf(const TQueryCDDB& settings);

} // namespace corvath
