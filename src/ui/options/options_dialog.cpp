#include "ui/options/options_dialog.h"

#include "ui/options/codec_pages.h"
#include "ui/options/musicbrainz_page.h"
#include "ui/options/output_page.h"
#include "ui/options/page_widgets.h"
#include "ui/options/rip_page.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <utility>

namespace corvath::ui {

TfrmOptions::TfrmOptions(TOptionsSetting& settings, const TrackRecord& sample, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setObjectName("frmOptions");
    setWindowTitle("Options");
    PageControl1_ = Named(new QTabWidget, "PageControl1");
    PageControl1_->setAccessibleName("Option pages");
    const auto add = [this](OptionsPage* page, const QString& title) {
        PageControl1_->addTab(page, title);
        pages_.push_back(page);
    };
    output_ = new OutputPage(sample);
    add(output_, "Output");
    for (const OutputFormatInfo& format : OutputFormats()) {
        if (OptionsPage* page = MakeCodecPage(format))
            add(page, Text(format.page.title));
    }
    add(new RipPage, "Rip");
    add(new MusicBrainzPage, "MusicBrainz");

    auto* buttons = new QDialogButtonBox;
    auto* btOk = Named(buttons->addButton("OK", QDialogButtonBox::AcceptRole), "btOk");
    auto* btCancel = Named(buttons->addButton("Cancel", QDialogButtonBox::RejectRole), "btCancel");
    connect(btOk, &QPushButton::clicked, this, &TfrmOptions::Ok);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1_);
    layout->addWidget(buttons);
    // Enter presses OK on every page: the pages' own buttons (Browse, Default) take Space only,
    // or the first to get the focus would become the default.
    for (OptionsPage* page : pages_) {
        for (QPushButton* button : page->findChildren<QPushButton*>())
            button->setAutoDefault(false);
    }
    btOk->setDefault(true);

    for (OptionsPage* page : pages_)
        page->Load(settings_);
    PageControl1_->setCurrentIndex(0);
    resize(sizeHint().expandedTo(QSize(456, 312)));
}

TfrmOptions::~TfrmOptions() = default;

void TfrmOptions::Ok()
{
    const QString folder = output_->Folder();
    std::error_code unreadable;
    if (!std::filesystem::is_directory(folder.toStdString(), unreadable)) {
        QMessageBox::critical(this, "Corvath", folder + "," + "the output folder does not exist.");
        if (PageControl1_->currentWidget() == output_)
            output_->FocusFolder();
        return;
    }
    if (const QString problem = output_->PatternProblem(); !problem.isEmpty()) {
        QMessageBox::critical(this, "Corvath", problem);
        PageControl1_->setCurrentWidget(output_);
        output_->FocusPattern();
        return;
    }
    // Into a copy: a page that refuses leaves the record as the main window shows it, whether
    // the user then cancels or tries again.
    TOptionsSetting chosen = settings_;
    for (OptionsPage* page : pages_) {
        if (!page->Store(chosen)) {
            PageControl1_->setCurrentWidget(page); // where the refused setting is
            return;
        }
    }
    output_->StoreDrive(chosen);
    settings_ = std::move(chosen);
    driveChanged_ = output_->DriveChanged();
    accept();
}

} // namespace corvath::ui
