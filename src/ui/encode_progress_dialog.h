#pragma once

#include "app/convert_batch.h"

#include <QDialog>

class QLabel;
class QProgressBar;

namespace corvath::ui {

/// The modal window in which chosen files are converted one after another: the current input
/// and output file, the output folder, the number of files chosen and done, the progress and
/// Stop. It closes itself after the last file, first listing any file that failed. Its controls
/// carry their names as object names.
class TfrmEncodeProgress : public QDialog, private ConvertView {
    Q_OBJECT

public:
    /// Starts converting job's files, with the program's settings, once the window's loop runs.
    TfrmEncodeProgress(QWidget* parent, ConvertJob job);
    ~TfrmEncodeProgress() override;

    /// Ends the batch (the file under way is left as far as it got) and closes the window.
    void Stop();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void ShowFile(const std::string& input, const std::string& output, int32_t count) override;
    void ShowProgress(int32_t percent) override;
    void ShowConverted(const std::string&) override {}
    void ShowFailed(const FailedFile&) override {}
    void ShowFailures(const std::vector<FailedFile>& failures) override;
    void Close() override;

    QLabel* lInputFile_ = nullptr;
    QLabel* lOutputFile_ = nullptr;
    QLabel* lOutputFolder_ = nullptr;
    QLabel* lSelectedFiles_ = nullptr;
    QLabel* lCompleted_ = nullptr;
    QLabel* lProgressHint_ = nullptr;
    QProgressBar* ProgressBar1_ = nullptr;
    ConvertBatch batch_;
};

} // namespace corvath::ui
