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
/// Stop disabled, until the batch closes it.
class BatchDialog : public QDialog {
public:
    /// Stops the batch; closes the window when the batch is over.
    void Stop();

protected:
    BatchDialog(QWidget* parent, const char* name);

    /// Lays the window out: each fact's caption beside its value, then the hint, the bar and
    /// Stop. Returns the facts' form, in which a window may hide the rows it does not need.
    QFormLayout* LayOut(std::initializer_list<std::pair<const char*, QLabel*>> facts);

    /// The batch is over: widget takes the place of everything the window showed.
    void ShowInPlaceOfProgress(QWidget* widget);

    /// Ends the batch without waiting: true when it is over, false when it still ends and will
    /// close the window itself.
    virtual bool StopBatch() = 0;

    void closeEvent(QCloseEvent* event) override;
    void reject() override;

    QLabel* lProgressHint_;
    QProgressBar* ProgressBar1_;

private:
    /// Stops the batch; false while it still ends, the window showing that it is stopping.
    bool StopAndClose();

    QPushButton* bStop_ = nullptr;
    bool stopping_ = false;
};

} // namespace corvath::ui
