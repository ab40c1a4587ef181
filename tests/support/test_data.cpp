#include "support/test_data.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace corvath::test {

std::filesystem::path TestDataPath(std::string_view relative)
{
    return std::filesystem::path(CORVATH_TEST_DATA_DIR) / relative;
}

std::string ReadTestData(std::string_view relative)
{
    const std::filesystem::path file = TestDataPath(relative);
    if (!std::filesystem::is_regular_file(file))
        ADD_FAILURE() << "no test data at " << file;
    return ReadFile(file);
}

} // namespace corvath::test
