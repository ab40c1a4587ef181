#pragma once

#include "ui/options/options_page.h"

#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;

namespace corvath::ui {

/// The options dialog's "MusicBrainz" page: where disc lookups go, and whether and from where
/// a chosen release's front cover is fetched.
class MusicBrainzPage : public OptionsPage {
    Q_OBJECT

public:
    MusicBrainzPage();

    void Load(const TOptionsSetting& settings) override;
    /// Refuses an empty address that is in use, naming it.
    bool Store(TOptionsSetting& settings) override;

private:
    /// The field's text, trimmed; nothing, with the problem shown (naming the setting and an
    /// example) and the field focused, when that is empty.
    std::optional<std::string> Address(QLineEdit* field, const QString& name,
                                       const std::string& example);

    QLineEdit* editMusicBrainzServer_ = nullptr;
    QCheckBox* ckCoverArt_ = nullptr;
    QLineEdit* editCoverArtServer_ = nullptr;
};

} // namespace corvath::ui
