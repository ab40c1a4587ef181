#pragma once

#include "lookup/musicbrainz_release.h"

#include <QDialog>
#include <vector>

class QTreeWidget;

namespace corvath::ui {

/// Lets the user pick one of the releases MusicBrainz offers for a disc: a row for each, the
/// first selected; OK or a double-click takes the selected one. Its controls carry their names
/// as object names.
class TfrmChooseRelease : public QDialog {
    Q_OBJECT

public:
    /// releases must not be empty.
    TfrmChooseRelease(QWidget* parent, const std::vector<MusicBrainzRelease>& releases);

    /// The index of the selected release in the list given.
    int ChosenIndex() const;

private:
    QTreeWidget* tvReleases_;
};

} // namespace corvath::ui
