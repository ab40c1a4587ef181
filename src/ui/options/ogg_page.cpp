#include "ui/options/ogg_page.h"

#include "ui/options/page_widgets.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSlider>

namespace corvath::ui {

namespace {

const QStringList kOggBitRates = {" Default",   " 45 kbit/s", " 48 kbit/s", " 56 kbit/s",
                                  " 64 kbit/s", " 80 kbit/s", " 96 kbit/s", "112 kbit/s",
                                  "128 kbit/s", "144 kbit/s", "160 kbit/s", "192 kbit/s",
                                  "224 kbit/s", "256 kbit/s", "320 kbit/s"};

} // namespace

OggPage::OggPage()
{
    cbUseCompress_ = Named(new QCheckBox("Use &Quality setting"), "cbUseCompress");
    tbCompression_ = Named(new QSlider(Qt::Horizontal), "tbCompression");
    tbCompression_->setRange(30, 100);
    tbCompression_->setTickPosition(QSlider::NoTicks);
    tbCompression_->setAccessibleName("Quality");
    auto* quality = new QHBoxLayout;
    quality->addWidget(tbCompression_, 1);
    quality->addWidget(new QLabel("-> Highest quality"));

    cbOggNomBit_ = NewComboBox("cbOggNomBit", kOggBitRates, true);
    cbOggMaxBit_ = NewComboBox("cbOggMaxBit", kOggBitRates, true);
    cbOggMinBit_ = NewComboBox("cbOggMinBit", kOggBitRates, true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cbUseCompress_);
    layout->addLayout(quality);
    layout->addWidget(Group("Use &Bitrate manager", Form({{"&Nominal bitrate:", cbOggNomBit_},
                                                          {"Ma&ximum bitrate:", cbOggMaxBit_},
                                                          {"M&inimum bitrate:", cbOggMinBit_}})));
    layout->addStretch();
}

void OggPage::Load(const TOptionsSetting& settings)
{
    const TOggOptions& ogg = settings.OggOptions;
    cbUseCompress_->setChecked(ogg.IsUseCompress);
    tbCompression_->setValue(ogg.CompressPosition);
    cbOggMaxBit_->setCurrentIndex(ogg.MaxBitRate);
    cbOggNomBit_->setCurrentIndex(ogg.NomalBitRate);
    cbOggMinBit_->setCurrentIndex(ogg.MinBitRate);
}

bool OggPage::Store(TOptionsSetting& settings)
{
    TOggOptions& ogg = settings.OggOptions;
    ogg.IsUseCompress = cbUseCompress_->isChecked();
    ogg.CompressPosition = tbCompression_->value();
    ogg.MaxBitRate = cbOggMaxBit_->currentIndex();
    ogg.NomalBitRate = cbOggNomBit_->currentIndex();
    ogg.MinBitRate = cbOggMinBit_->currentIndex();
    return true;
}

} // namespace corvath::ui
