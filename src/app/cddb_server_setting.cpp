#include "app/cddb_server_setting.h"

namespace corvath {

CddbServer CddbServerOf(const TQueryCDDB& settings)
{
    return {settings.Server,       settings.Script, settings.UseProxy,
            settings.ProxyAddress, settings.Port,   settings.Email};
}

} // namespace corvath
