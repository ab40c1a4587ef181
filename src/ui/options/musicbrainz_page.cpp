#include "ui/options/musicbrainz_page.h"

#include "ui/options/page_widgets.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>

namespace corvath::ui {

MusicBrainzPage::MusicBrainzPage()
{
    editMusicBrainzServer_ = Named(new QLineEdit, "editMusicBrainzServer");
    editMusicBrainzServer_->setAccessibleName("MusicBrainz server address");
    auto* lookups = Form({{"&Server:", editMusicBrainzServer_}});

    ckCoverArt_ = Named(new QCheckBox("&Fetch the front cover of a chosen release"), "ckCoverArt");
    editCoverArtServer_ = Named(new QLineEdit, "editCoverArtServer");
    editCoverArtServer_->setAccessibleName("Cover Art Archive address");
    connect(ckCoverArt_, &QCheckBox::toggled, editCoverArtServer_, &QWidget::setEnabled);
    auto* covers = new QFormLayout;
    covers->addRow(ckCoverArt_);
    covers->addRow("&Address:", editCoverArtServer_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group("Disc lookups", lookups));
    layout->addWidget(Group("Cover Art Archive", covers));
    layout->addStretch();
}

void MusicBrainzPage::Load(const TOptionsSetting& settings)
{
    const TMusicBrainzOptions& musicBrainz = settings.MusicBrainz;
    editMusicBrainzServer_->setText(QString::fromStdString(musicBrainz.Server));
    ckCoverArt_->setChecked(musicBrainz.CoverArt);
    editCoverArtServer_->setText(QString::fromStdString(musicBrainz.CoverArtServer));
    editCoverArtServer_->setEnabled(musicBrainz.CoverArt);
}

bool MusicBrainzPage::Store(TOptionsSetting& settings)
{
    TMusicBrainzOptions& musicBrainz = settings.MusicBrainz;
    const TMusicBrainzOptions defaults;
    const std::optional<std::string> server =
        Address(editMusicBrainzServer_, "The MusicBrainz server address", defaults.Server);
    if (!server)
        return false;
    musicBrainz.Server = *server;
    musicBrainz.CoverArt = ckCoverArt_->isChecked();
    // A cover address nobody uses may stay as it is, empty or not.
    if (!musicBrainz.CoverArt) {
        musicBrainz.CoverArtServer = editCoverArtServer_->text().trimmed().toStdString();
        return true;
    }
    const std::optional<std::string> covers =
        Address(editCoverArtServer_, "The Cover Art Archive address", defaults.CoverArtServer);
    if (!covers)
        return false;
    musicBrainz.CoverArtServer = *covers;
    return true;
}

std::optional<std::string> MusicBrainzPage::Address(QLineEdit* field, const QString& name,
                                                    const std::string& example)
{
    const QString text = field->text().trimmed();
    if (!text.isEmpty())
        return text.toStdString();
    QMessageBox::critical(this, "Corvath",
                          name + " is empty. Enter one, such as " +
                              QString::fromStdString(example) + ".");
    field->setFocus();
    return std::nullopt;
}

} // namespace corvath::ui
