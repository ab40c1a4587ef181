#pragma once

#include "audio/filters/audio_converter.h"
#include "audio/filters/resampler.h"
#include "audio/wave/wave_in.h"
#include "audio/wave/wave_out.h"
#include "codecs/wma/wma_out.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace corvath::ui {

class FileNameLabel;

/// The "Wave Converter" window: converts one WAV file into a WAV file with another sample rate,
/// channel count, sample size and coding (PCM or IMA ADPCM), or into a WMA file. The user picks
/// the input (its parameters are shown) and the output, sets the output's parameters and
/// starts; the caption follows the conversion and tells its result. Its controls carry their
/// names as object names.
///
/// Threads: all of it runs on the GUI thread. The conversion runs on the sink's worker; its
/// progress and its end come back as the sink's events. "Close" asks a running conversion to
/// end; closing the window stops it and waits for its worker.
class TfrmWavResample : public QDialog {
    Q_OBJECT

public:
    /// Runs a file dialog with this title and (Qt) filter; the chosen path, empty when
    /// cancelled.
    using FileDialog =
        std::function<QString(QWidget* parent, const QString& title, const QString& filter)>;
    struct FileDialogs {
        FileDialog open;
        FileDialog save;
    };
    /// The system's open dialog (default suffix "wav") and save dialog.
    static FileDialogs SystemFileDialogs();

    /// Raises EAuException when the sample-rate converter's library is not loaded.
    explicit TfrmWavResample(QWidget* parent = nullptr, FileDialogs dialogs = SystemFileDialogs());
    ~TfrmWavResample() override;

    /// However the window closes, both sinks stop first.
    void done(int result) override;

private:
    QGroupBox* InputGroup();
    QGroupBox* OutputGroup();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void WaveOut1Progress(TAuOutput& sender);
    void WaveOut1Done(TAuOutput& sender);
    void SetConverting(bool converting);
    std::array<TAuOutput*, 2> Sinks() const;

    FileDialogs dialogs_;
    Owned<TWaveIn> WaveIn1_;
    Owned<TResampler> Resampler1_;
    Owned<TAudioConverter> AudioConverter1_;
    Owned<TWaveOut> WaveOut1_;
    Owned<TWMAOut> WMAOut1_;
    TAuFileOut* sink_ = nullptr; // the one the output file's name chose
    bool stopAsked_ = false;     // by Close, during the run now ending

    FileNameLabel* lInFileName_ = nullptr;
    QLabel* lInChannels_ = nullptr;
    QLabel* lInSampleRate_ = nullptr;
    QLabel* lInBits_ = nullptr;
    QLabel* lInEncoding_ = nullptr;
    FileNameLabel* lOutFileName_ = nullptr;
    QSpinBox* seChannels_ = nullptr;
    QLineEdit* eSampleRate_ = nullptr;
    QSpinBox* seBits_ = nullptr;
    QComboBox* cbEncoding_ = nullptr;
    QPushButton* Button1_ = nullptr;
    QPushButton* Button2_ = nullptr;
    QPushButton* Button3_ = nullptr;
    QPushButton* Button4_ = nullptr;
    QProgressBar* ProgressBar1_ = nullptr;
};

} // namespace corvath::ui
