#pragma once

#include "lookup/cddb_entry_target.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvath::test {

/// A lookup's target that keeps what it was told: every call as text, in order ("artist A",
/// "title 0 One", ...), and the fields as they stand after the calls.
class RecordedEntry : public CddbEntryTarget {
public:
    void ClearDiscFields() override;
    void SetArtist(const std::string& artist) override;
    void SetAlbum(const std::string& album) override;
    void SetYear(const std::string& year) override;
    void SelectGenre(const std::string& name) override;
    void SetDisc(int number, int total) override;
    void AlignTitlesLeft() override;
    void SetTitle(int row, const std::string& title) override;
    void SetReleaseDetails(const ReleaseDetails& details) override;

    std::vector<std::string> calls;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::optional<std::string> year;
    std::optional<std::string> genre;
    std::optional<std::pair<int, int>> disc; ///< number, total
    std::map<int, std::string> titles;       ///< by row
};

} // namespace corvath::test
