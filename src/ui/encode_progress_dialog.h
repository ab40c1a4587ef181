#pragma once

#include "app/convert_batch.h"
#include "ui/batch_dialog.h"
#include "ui/files_under_way.h"

#include <chrono>
#include <cstddef>

class QLabel;

namespace corvath::ui {

/// The modal window in which chosen files are converted: the output folder, the number of files
/// chosen and done, the progress and Stop. Converting one file at a time it shows the current
/// input and output file and the bar follows that file; converting several at once it lists the
/// files under way with their percents instead, and the bar follows the whole batch. It closes
/// itself after the last file, first listing any file that failed. Its controls carry their names
/// as object names.
class TfrmEncodeProgress : public BatchDialog, private ConvertView {
    Q_OBJECT

public:
    /// Starts converting job's files, with the program's settings, once the window's loop runs.
    TfrmEncodeProgress(QWidget* parent, ConvertJob job);
    ~TfrmEncodeProgress() override;

private:
    /// The files under way are left as far as they got.
    bool StopBatch() override;
    void ShowFile(const std::string& input, const std::string& output, int32_t count) override;
    void ShowProgress(const std::string& input, int32_t percent) override;
    void ShowConverted(const std::string& input, const std::string&) override;
    void ShowEndedEarly(const std::string&, const EarlyEnd&) override {}
    void ShowFailed(const FailedFile& failure) override;
    void ShowFailures(const std::vector<FailedFile>& failures) override;
    void Close() override;

    bool SeveralAtOnce() const { return batch_.LaneCount() > 1; }
    /// input is no longer under way: converted or failed.
    void FileEnded(const std::string& input);
    /// Converting several at once: the files under way and the whole batch's progress.
    void ShowUnderWay();
    /// The batch is over: a notification when the user is elsewhere, once.
    void NotifyEnd(std::size_t failed);

    QLabel* lInputFile_ = nullptr;
    QLabel* lOutputFile_ = nullptr;
    QLabel* lFilesUnderWay_ = nullptr;
    QLabel* lOutputFolder_ = nullptr;
    QLabel* lSelectedFiles_ = nullptr;
    QLabel* lCompleted_ = nullptr;
    ConvertBatch batch_;
    FilesUnderWay underWay_;
    int32_t ended_ = 0; // files converted or failed
    std::chrono::steady_clock::time_point started_;
    bool endNotified_ = false;
};

} // namespace corvath::ui
