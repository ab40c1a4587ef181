#pragma once

#include "lookup/cddb_entry_target.h"

#include <functional>
#include <mutex>
#include <vector>

namespace corvath {

/// A lookup's target that holds the changes back: the disc may change while a lookup runs, so
/// its answer is made on the disc's fields only once it is known to be for the disc shown.
/// Calls may come from the lookup's thread.
class HeldCddbEntry final : public CddbEntryTarget {
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

    /// Makes the changes held on target, in the order they came; none is held after.
    void ApplyTo(CddbEntryTarget& target);

private:
    using Change = std::function<void(CddbEntryTarget&)>;
    void Hold(Change change);

    std::mutex mutex_;
    std::vector<Change> changes_;
};

} // namespace corvath
