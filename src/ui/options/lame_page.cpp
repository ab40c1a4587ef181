#include "ui/options/lame_page.h"

#include "ui/options/page_widgets.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <array>
#include <optional>

namespace corvath::ui {

namespace {

const QStringList kConstantBitRates = {"48", "56", "64", "80", "96", "128", "192", "256", "320"};
const QStringList kVbrBitRates = {" 32 kbit/s", " 40 kbit/s", " 48 kbit/s", " 56 kbit/s",
                                  " 64 kbit/s", " 80 kbit/s", " 96 kbit/s", "112 kbit/s",
                                  "128 kbit/s", "160 kbit/s", "192 kbit/s", "224 kbit/s",
                                  "256 kbit/s", "320 kbit/s"};
const QStringList kStereoModes = {"Stereo", "Joint Stereo", "Dual Channels", "Mono"};
constexpr int kMinBitRateDefaultItem = 8;  // "128 kbit/s"
constexpr int kMaxBitRateDefaultItem = 13; // "320 kbit/s"

// A VBR bit-rate text as stored: its first three characters, trimmed, as an integer.
std::optional<int32_t> BitRateOf(const QString& text, QString& number)
{
    number = text.left(3).trimmed();
    bool isNumber = false;
    const int32_t value = number.toInt(&isNumber);
    return isNumber ? std::optional(value) : std::nullopt;
}

} // namespace

LamePage::LamePage()
{
    rbCBR_ = Named(new QRadioButton("&CBR(Constant Bit Rate)"), "rbCBR");
    cbConstantBitRate_ = NewComboBox("cbConstantBitRate", kConstantBitRates, false);
    rbVBR_ = Named(new QRadioButton("&VBR(Variable Bit Rate)"), "rbVBR");
    ckbVBRHead_ = Named(new QCheckBox("Write MP3 VBR &Header"), "ckbVBRHead");
    cbMinBitRate_ = NewComboBox("cbMinBitRate", kVbrBitRates, true);
    cbMaxBitRate_ = NewComboBox("cbMaxBitRate", kVbrBitRates, true);
    cbVBRQuality_ = NewComboBox("cbVBRQuality", Numbers(0, 9), true);
    // Only choosing VBR enables its controls; choosing CBR leaves them as they are.
    connect(rbVBR_, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            EnableVbrControls(true);
    });

    auto* bitRate = new QVBoxLayout;
    auto* constant = new QHBoxLayout;
    constant->addWidget(rbCBR_);
    constant->addWidget(Caption("B&itrate", cbConstantBitRate_));
    constant->addWidget(cbConstantBitRate_);
    constant->addStretch();
    bitRate->addLayout(constant);
    bitRate->addWidget(rbVBR_);
    bitRate->addWidget(ckbVBRHead_);
    bitRate->addLayout(Form({{"Mi&nimum bitrate:", cbMinBitRate_},
                             {"Ma&ximum bitrate:", cbMaxBitRate_},
                             {"VBR &Quality:", cbVBRQuality_}}));

    cbStereoMode_ = NewComboBox("cbStereoMode", kStereoModes, true);
    auto* channels = new QVBoxLayout;
    channels->addWidget(cbStereoMode_);
    auto* cpu = new QVBoxLayout;
    cpu->addWidget(CpuUsage(tbMP3Cpu_, "tbMP3Cpu"));
    auto* bDefault = Named(new QPushButton("&Default"), "bDefault");
    connect(bDefault, &QPushButton::clicked, this, &LamePage::Default);

    auto* side = new QVBoxLayout;
    side->addWidget(Group("Channe&ls", channels));
    side->addWidget(Group("CPU &Usage", cpu));
    side->addStretch();
    side->addWidget(bDefault, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Group("Bit Rate", bitRate), 1);
    layout->addLayout(side);
}

void LamePage::Load(const TOptionsSetting& settings)
{
    const TMp3Options& mp3 = settings.Mp3Options;
    rbVBR_->setChecked(mp3.IsSelectVBR);
    rbCBR_->setChecked(!mp3.IsSelectVBR);
    ckbVBRHead_->setChecked(mp3.IsVBRHead);
    cbMinBitRate_->setEditText(QString::number(mp3.BitRate) + " kbit/s");
    cbMaxBitRate_->setEditText(QString::number(mp3.MaxBitRate) + " kbit/s");
    cbVBRQuality_->setCurrentIndex(mp3.VBRQuality);
    cbStereoMode_->setCurrentIndex(mp3.StereoMode);
    tbMP3Cpu_->setValue(mp3.CPU);
    cbConstantBitRate_->setCurrentIndex(
        cbConstantBitRate_->findText(QString::number(mp3.ConstantBitRate), Qt::MatchExactly));
    if (!rbVBR_->isChecked())
        EnableVbrControls(false);
}

bool LamePage::Store(TOptionsSetting& settings)
{
    TMp3Options& mp3 = settings.Mp3Options;
    mp3.IsSelectVBR = rbVBR_->isChecked();
    mp3.IsVBRHead = ckbVBRHead_->isChecked();
    for (auto [box, setting] :
         {std::pair{cbMinBitRate_, &mp3.BitRate}, std::pair{cbMaxBitRate_, &mp3.MaxBitRate}}) {
        QString number;
        const std::optional<int32_t> kbps = BitRateOf(box->currentText(), number);
        if (!kbps) {
            QMessageBox::critical(this, "Corvath",
                                  QString("'%1' is not a valid integer value").arg(number));
            return false;
        }
        *setting = *kbps;
    }
    mp3.VBRQuality = cbVBRQuality_->currentIndex();
    mp3.StereoMode = cbStereoMode_->currentIndex();
    mp3.CPU = tbMP3Cpu_->value();
    if (cbConstantBitRate_->currentIndex() >= 0)
        mp3.ConstantBitRate = cbConstantBitRate_->currentText().toInt();
    return true;
}

void LamePage::EnableVbrControls(bool enabled)
{
    const std::array<QWidget*, 4> controls{ckbVBRHead_, cbMinBitRate_, cbMaxBitRate_,
                                           cbVBRQuality_};
    for (QWidget* control : controls)
        control->setEnabled(enabled);
}

void LamePage::Default()
{
    rbCBR_->setChecked(true);
    ckbVBRHead_->setChecked(false);
    cbMinBitRate_->setCurrentIndex(kMinBitRateDefaultItem);
    cbMaxBitRate_->setCurrentIndex(kMaxBitRateDefaultItem);
    cbVBRQuality_->setCurrentIndex(4);
    cbStereoMode_->setCurrentIndex(1);
    tbMP3Cpu_->setValue(3);
}

} // namespace corvath::ui
