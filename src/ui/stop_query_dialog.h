#pragma once

#include "audio/threads/main_thread_messages.h"
#include "audio/threads/stoppable_lookup.h"

#include <QDialog>
#include <memory>
#include <string>

class QFrame;
class QLabel;
class QPushButton;

namespace corvath::ui {

/// The window that waits while a disc is looked up. Stop abandons the lookup, which then
/// changes nothing more; when the lookup finds no match or fails the window says so in its
/// panel and waits for Close. Each kind of lookup is a subclass that starts it and reads its
/// messages. Its controls carry their names as object names.
class TfrmStopQuery : public QDialog {
    Q_OBJECT

public:
    ~TfrmStopQuery() override;

protected:
    /// service names the database in the window's texts, e.g. "CDDB".
    TfrmStopQuery(QWidget* parent, const QString& service);

    /// Starts the lookup, which posts to messages; called when the window is first shown.
    virtual std::unique_ptr<StoppableLookup> StartLookup(MessageTarget& messages) = 0;
    /// A message of the lookup; the payload is borrowed for the call.
    virtual void Handle(uint32_t message, intptr_t wParam, MessagePayload* payload) = 0;

    void ShowNoMatch();
    void ShowFailure(const std::string& reason);

    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    /// Replaces the hint with the panel's text; the button becomes Close.
    void ShowPanel(const QString& text);

    const QString service_;
    QLabel* lHint_;
    QFrame* Panel1_;
    QLabel* panelText_;
    QPushButton* bStop_;
    MainThreadMessages messages_;
    std::unique_ptr<StoppableLookup> lookup_;
};

} // namespace corvath::ui
