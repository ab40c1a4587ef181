#pragma once

namespace corvath {

/// A lookup running on a worker thread of its own that the user may stop. Destroying it
/// abandons a worker that still runs.
class StoppableLookup {
public:
    virtual ~StoppableLookup() = default;
    /// Once this returns, the lookup neither posts nor changes anything more.
    virtual void Abandon() = 0;
};

} // namespace corvath
