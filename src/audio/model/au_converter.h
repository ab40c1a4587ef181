#pragma once

#include "audio/model/au_input.h"

namespace corvath {

/// A filter: a source that reads from another source, its Input. Concrete filters report
/// their output format through the parameter queries; their OpenSource opens the Input
/// (Input()->BeginRead()) and their CloseSource closes it.
class TAuConverter : public TAuInput {
public:
    using TAuInput::TAuInput;

    TAuInput* Input() const { return input_; }
    /// A filter never reads from itself. While a run is on, the old input is closed and the
    /// new one opened in its place.
    virtual void SetInput(TAuInput* input);

    AudioChunk ReadData(uint32_t wanted) override;
    void SuspendSource() override;
    void ResumeSource() override;

protected:
    void Notification(TComponent* removed) override;

    TAuInput* input_ = nullptr;
};

} // namespace corvath
