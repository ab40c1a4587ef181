#include "ui/options/wma_page.h"

#include "ui/options/page_widgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace corvath::ui {

WmaPage::WmaPage() : WMAOut1_(MakeComponent<TWMAOut>())
{
    lbCodecs_ = Named(new QListWidget, "lbCodecs");
    lbCodecs_->setAccessibleName("Codecs");
    for (const std::string& codec : WMAOut1_->Codecs())
        lbCodecs_->addItem(QString::fromStdString(codec));
    lbFormats_ = Named(new QListWidget, "lbFormats");
    lbFormats_->setAccessibleName("Formats");
    cbWMA_VBR_ = Named(new QCheckBox("&VBR(Variable Bit Rate)"), "cbWMA_VBR");
    auto* bWMADefault = Named(new QPushButton("&Default"), "bWMADefault");

    // A codec or a VBR state of the user's choosing starts at the first of its formats.
    connect(lbCodecs_, &QListWidget::currentRowChanged, this,
            [this](int codec) { ListFormats(codec, 0); });
    connect(cbWMA_VBR_, &QCheckBox::toggled, this, [this](bool vbr) {
        WMAOut1_->SetVBR(vbr);
        ListFormats(lbCodecs_->currentRow(), 0);
    });
    connect(bWMADefault, &QPushButton::clicked, this, [this] { ShowChoice(0, false, 0); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(Caption("&Codecs", lbCodecs_), 0, 0);
    layout->addWidget(lbCodecs_, 1, 0);
    layout->addWidget(Caption("&Formats", lbFormats_), 0, 1);
    layout->addWidget(lbFormats_, 1, 1);
    layout->addWidget(cbWMA_VBR_, 2, 0);
    layout->addWidget(bWMADefault, 2, 1, Qt::AlignRight);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(0, 1);
}

WmaPage::~WmaPage() = default;

void WmaPage::Load(const TOptionsSetting& settings)
{
    const TWMAOptions& wma = settings.WMAOptions;
    ShowChoice(wma.CodecIndex, wma.VBR, wma.FormatIndex);
}

bool WmaPage::Store(TOptionsSetting& settings)
{
    settings.WMAOptions = {lbCodecs_->currentRow(), lbFormats_->currentRow(),
                           cbWMA_VBR_->isChecked()};
    return true;
}

void WmaPage::ShowChoice(int codec, bool vbr, int format)
{
    const QSignalBlocker codecs(lbCodecs_);
    const QSignalBlocker vbrBox(cbWMA_VBR_);
    lbCodecs_->setCurrentRow(codec);
    cbWMA_VBR_->setChecked(vbr);
    WMAOut1_->SetVBR(vbr);
    ListFormats(codec, format);
}

void WmaPage::ListFormats(int codec, int selected)
{
    lbFormats_->clear();
    for (const std::string& format : WMAOut1_->Formats(codec))
        lbFormats_->addItem(QString::fromStdString(format));
    lbFormats_->setCurrentRow(selected);
}

} // namespace corvath::ui
