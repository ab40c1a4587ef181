#pragma once

#include "lookup/release_details.h"

#include <string>

namespace corvath {

/// What a CDDB lookup changes: the disc fields and the track list's titles. The lookup calls it
/// from its own thread; the user interface gives it a HeldCddbEntry and makes the changes on the
/// window thread (widgets are not thread-safe) once the lookup has ended.
class CddbEntryTarget {
public:
    virtual ~CddbEntryTarget() = default;

    /// Artist, album, year and comment become empty; no genre is selected; the disc's place in
    /// a set and the details of a release applied earlier go.
    virtual void ClearDiscFields() = 0;
    virtual void SetArtist(const std::string& artist) = 0;
    virtual void SetAlbum(const std::string& album) = 0;
    virtual void SetYear(const std::string& year) = 0;
    /// Selects the genre of this name: the list's name equal to it, else one equal to it
    /// ignoring ASCII case ("rock" selects "Rock"); none when there is no such one.
    virtual void SelectGenre(const std::string& name) = 0;
    /// The disc is number of a set of total discs (0: not known).
    virtual void SetDisc(int number, int total) = 0;
    /// The title column of the track list becomes left-aligned.
    virtual void AlignTitlesLeft() = 0;
    /// The title of track list row `row` (0 for the disc's first track).
    virtual void SetTitle(int row, const std::string& title) = 0;
    /// What a MusicBrainz release tells beyond the fields and titles, kept with them.
    virtual void SetReleaseDetails(const ReleaseDetails& details) = 0;
};

} // namespace corvath
