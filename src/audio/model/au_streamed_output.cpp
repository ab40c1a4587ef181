#include "audio/model/au_streamed_output.h"

namespace corvath {

void TAuStreamedOutput::AbortOutput()
{
    ReleaseStream();
    TAuOutput::AbortOutput();
}

} // namespace corvath
