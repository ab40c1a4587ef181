#pragma once

#include "app/disc_info_store.h"
#include "lookup/cddb_entry_target.h"

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace corvath::cli {

/// What a lookup would put into the main window, kept to be printed or stored. A lookup's
/// calls all come before its last message, so reading after that needs no lock.
class EntryRecord : public CddbEntryTarget {
public:
    void ClearDiscFields() override;
    void SetArtist(const std::string& artist) override { fields_["Artist"] = artist; }
    void SetAlbum(const std::string& album) override { fields_["Album"] = album; }
    void SetYear(const std::string& year) override { fields_["Year"] = year; }
    /// Keeps the list's name that name stands for ("rock" is "Rock"), else name as it is.
    void SelectGenre(const std::string& name) override;
    void SetDisc(int number, int total) override { disc_ = {number, total}; }
    void AlignTitlesLeft() override {}
    void SetTitle(int row, const std::string& title) override { titles_[row] = title; }
    void SetReleaseDetails(const ReleaseDetails& details) override { release_ = details; }

    /// "Artist=...", "Year=...", "Disc=2/3" (for a disc of a set), "Track 3=..." lines, the
    /// disc's first track being firstTrack.
    void Print(uint8_t firstTrack, std::ostream& out) const;

    /// Changes fields, titles (row order) and release details as the main window would change
    /// its own: what the lookup left alone keeps its value, a genre not in the list selects none.
    void ApplyTo(TDiscFields& fields, std::vector<std::string>& titles,
                 ReleaseDetails& release) const;

private:
    bool cleared_ = false;
    std::map<std::string, std::string> fields_;
    std::map<int, std::string> titles_;
    std::optional<ReleaseDetails> release_;
    std::optional<std::pair<int, int>> disc_; // number, total
};

} // namespace corvath::cli
