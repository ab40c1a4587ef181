#pragma once

#include <QDialog>
#include <initializer_list>
#include <utility>

class QFormLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace corvath::ui {

/// A modal window in which a batch of work runs: facts shown as labelled values, a hint, a
/// progress bar with a caption, and Stop. Stop, Escape and closing the window all stop the batch.
/// A batch whose work takes a while to end leaves the window up, saying it is stopping with
/// Stop disabled, until it is over. A window that can show what a stopped batch did shows it
/// after Stop or Escape, and closes when closed.
class BatchDialog : public QDialog {
public:
    /// Stops the batch; once it is over, shows what was done or closes the window.
    void Stop();

protected:
    BatchDialog(QWidget* parent, const char* name);

    /// Lays the window out: each fact's caption beside its value, then the hint, the bar and
    /// Stop. Returns the facts' form, in which a window may hide the rows it does not need.
    QFormLayout* LayOut(std::initializer_list<std::pair<const char*, QLabel*>> facts);

    /// The batch is over: widget takes the place of everything the window showed, until the
    /// user closes the window.
    void ShowInPlaceOfProgress(QWidget* widget);

    /// The batch is over: the window closes, unless it shows the results or shows what the
    /// batch did after the user stopped it.
    void BatchOver();

    /// The user stopped the batch and it is over: true when the window now shows what was done;
    /// false, the default, closes it.
    virtual bool ShowStopped() { return false; }

    /// Ends the batch without waiting: true when it is over, false when it still ends and will
    /// close the window itself.
    virtual bool StopBatch() = 0;

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    QLabel* lProgressHint_;
    QProgressBar* ProgressBar1_;

private:
    enum class AfterStop { kClose, kShowWhatWasDone };

    /// Stops the batch: true when the window may close now, false while the batch still ends
    /// (the window showing that it is stopping) or shows what it did.
    bool StopAndClose(AfterStop after);

    QPushButton* bStop_ = nullptr;
    bool stopping_ = false;
    AfterStop afterStop_ = AfterStop::kClose;
    bool showingResults_ = false;
};

} // namespace corvath::ui
