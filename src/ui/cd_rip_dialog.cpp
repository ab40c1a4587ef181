#include "ui/cd_rip_dialog.h"

#include "app/options_setting.h"
#include "ui/desktop_notification.h"
#include "ui/progress_dialog_parts.h"
#include "ui/rip_results_panel.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

namespace corvath::ui {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

TfrmCDRip::TfrmCDRip(QWidget* parent, RipJob job)
    : BatchDialog(parent, "frmCDRip"), batch_(*this, std::move(job), OptionsSetting)
{
    setMinimumWidth(400);
    lCurrentTrack_ = ValueLabel("lCurrentTrack", "Current track", this);
    lOutputFormat_ = ValueLabel("lOutputFormat", "Output format", this);
    lSelectedTracks_ = ValueLabel("lSelectedTracks", "Selected tracks", this);
    lCompleted_ = ValueLabel("lCompleted", "Completed", this);
    lEncoding_ = ValueLabel("lEncoding", "Encoding", this);
    lVerdict_ = ValueLabel("lVerdict", "AccurateRip verdict", this);
    LayOut({{"Current track:", lCurrentTrack_},
            {"Output format:", lOutputFormat_},
            {"Selected tracks:", lSelectedTracks_},
            {"Completed:", lCompleted_},
            {"Encoding:", lEncoding_},
            {"AccurateRip:", lVerdict_}});

    lOutputFormat_->setText(Text(std::string(InfoOf(batch_.Format()).name)));
    lSelectedTracks_->setText(QString::number(batch_.TrackCount()));
    // The first track starts once the window is up, so that the window can follow it.
    QTimer::singleShot(0, this, [this] {
        started_ = std::chrono::steady_clock::now();
        batch_.Start();
    });
}

TfrmCDRip::~TfrmCDRip() = default;

bool TfrmCDRip::StopBatch()
{
    return batch_.Stop();
}

bool TfrmCDRip::ShowStopped()
{
    ShowResults(batch_.Results());
    return true;
}

void TfrmCDRip::ShowCurrentTrack(const RipEntry& track)
{
    lCurrentTrack_->setText(Text(track.title));
}

void TfrmCDRip::ShowHint(const std::string& hint)
{
    lProgressHint_->setText(Text(hint));
}

void TfrmCDRip::ShowBarCaption(const std::string& caption)
{
    ProgressBar1_->setFormat(Text(caption));
}

void TfrmCDRip::ShowBarPosition(int32_t percent)
{
    ProgressBar1_->setValue(percent);
}

void TfrmCDRip::ShowCompleted(int32_t count)
{
    lCompleted_->setText(QString::number(count));
}

void TfrmCDRip::ShowEncoding(const std::vector<RipEntry>& tracks)
{
    QStringList titles;
    for (const RipEntry& track : tracks)
        titles << Text(track.title);
    lEncoding_->setText(titles.join(", "));
}

void TfrmCDRip::ShowError(const std::string& message)
{
    QMessageBox::critical(this, "Corvath", Text(message));
}

void TfrmCDRip::ShowDriveFailure(const std::string& message)
{
    ShowError(message);
}

void TfrmCDRip::ShowVerdict(const RipEntry& track, const TrackVerdict& verdict)
{
    lVerdict_->setText(Text(track.title + ": " + VerdictText(verdict)));
}

void TfrmCDRip::ShowSummary(const RipResults& results)
{
    NotifyIfUnattended(*this, std::chrono::steady_clock::now() - started_,
                       RipFinishedText(results.tracks));
    if (!OptionsSetting.RipOptions.CloseWhenDone || TracksNotRipped(results.tracks) > 0)
        ShowResults(results);
}

void TfrmCDRip::ShowResults(const RipResults& results)
{
    auto* panel = new RipResultsPanel(results, this);
    connect(panel->CloseButton(), &QPushButton::clicked, this, &QDialog::accept);
    ShowInPlaceOfProgress(panel);
    setMinimumWidth(640);
    adjustSize();
    panel->CloseButton()->setFocus();
}

void TfrmCDRip::Pause(int ms, std::function<void()> then)
{
    QTimer::singleShot(ms, this, std::move(then));
}

void TfrmCDRip::Close()
{
    BatchOver();
}

} // namespace corvath::ui
