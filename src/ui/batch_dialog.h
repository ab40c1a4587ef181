#pragma once

#include <QDialog>
#include <initializer_list>
#include <utility>

class QLabel;
class QProgressBar;

namespace corvath::ui {

/// A modal window in which a batch of work runs: facts shown as labelled values, a hint, a
/// progress bar with a caption, and Stop. Stop, Escape and closing the window all stop the batch.
class BatchDialog : public QDialog {
public:
    /// Stops the batch and closes the window.
    void Stop();

protected:
    BatchDialog(QWidget* parent, const char* name);

    /// Lays the window out: each fact's caption beside its value, then the hint, the bar and
    /// Stop.
    void LayOut(std::initializer_list<std::pair<const char*, QLabel*>> facts);

    /// Ends the batch; the window then closes.
    virtual void StopBatch() = 0;

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    QLabel* lProgressHint_;
    QProgressBar* ProgressBar1_;
};

} // namespace corvath::ui
