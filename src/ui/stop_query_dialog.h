#pragma once

#include "cd/main_thread_messages.h"
#include "cd/query_cddb_thread.h"

#include <QDialog>
#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace corvath::ui {

/// The window that waits while a disc is looked up on a CDDB server. It closes as Accepted when
/// the lookup is done; when the server knows no match or the lookup fails it says so and waits
/// for Close; Stop abandons the lookup, which then changes nothing more. Its controls carry
/// their names as object names.
class TfrmStopQuery : public QDialog {
    Q_OBJECT

public:
    /// The lookup starts when the window is first shown; entry receives what it finds and must
    /// outlive the window.
    TfrmStopQuery(QWidget* parent, const CddbServer& server, uint8_t firstTrack, uint8_t lastTrack,
                  int32_t cdHandle, CddbEntryTarget& entry);
    ~TfrmStopQuery() override;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void Handle(intptr_t wParam, const MessagePayload* payload);
    /// Replaces the hint with the panel's text; the button becomes Close.
    void ShowPanel(const QString& text);

    const CddbServer server_;
    const uint8_t firstTrack_;
    const uint8_t lastTrack_;
    const int32_t cdHandle_;
    CddbEntryTarget& entry_;
    QLabel* lHint_;
    QFrame* Panel1_;
    QLabel* panelText_;
    QPushButton* bStop_;
    MainThreadMessages messages_;
    std::optional<TQueryCDDBThread> worker_;
};

} // namespace corvath::ui
