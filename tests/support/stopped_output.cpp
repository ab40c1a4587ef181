#include "support/stopped_output.h"

#include "platform/files/partial_file.h"

namespace corvath::test {

bool TakeStoppedFile(const std::filesystem::path& file)
{
    std::error_code failed;
    if (std::filesystem::exists(file, failed))
        return false;
    std::filesystem::rename(PartialName(file.string()), file, failed);
    return !failed;
}

} // namespace corvath::test
