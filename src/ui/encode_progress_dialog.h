#pragma once

#include "app/convert_batch.h"
#include "ui/batch_dialog.h"

class QLabel;

namespace corvath::ui {

/// The modal window in which chosen files are converted one after another: the current input
/// and output file, the output folder, the number of files chosen and done, the progress and
/// Stop. It closes itself after the last file, first listing any file that failed. Its controls
/// carry their names as object names.
class TfrmEncodeProgress : public BatchDialog, private ConvertView {
    Q_OBJECT

public:
    /// Starts converting job's files, with the program's settings, once the window's loop runs.
    TfrmEncodeProgress(QWidget* parent, ConvertJob job);
    ~TfrmEncodeProgress() override;

private:
    /// The file under way is left as far as it got.
    bool StopBatch() override;
    void ShowFile(const std::string& input, const std::string& output, int32_t count) override;
    void ShowProgress(const std::string& input, int32_t percent) override;
    void ShowConverted(const std::string&, const std::string&) override {}
    void ShowEndedEarly(const std::string&, const EarlyEnd&) override {}
    void ShowFailed(const FailedFile&) override {}
    void ShowFailures(const std::vector<FailedFile>& failures) override;
    void Close() override;

    QLabel* lInputFile_ = nullptr;
    QLabel* lOutputFile_ = nullptr;
    QLabel* lOutputFolder_ = nullptr;
    QLabel* lSelectedFiles_ = nullptr;
    QLabel* lCompleted_ = nullptr;
    ConvertBatch batch_;
};

} // namespace corvath::ui
