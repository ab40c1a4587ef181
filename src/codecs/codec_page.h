#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace corvath {

/// An item of a list on a format's options page: its text and the value it stands for.
struct PageListItem {
    std::string_view text;
    int32_t value;
};

/// One control of a format's options page and the setting it edits, a key of the format's
/// section. The user interface builds the page from these.
struct PageControl {
    enum class Kind {
        List,   ///< a drop-down list of items; a value no item has selects none and is kept
        Spin,   ///< a spin box from minimum to maximum in steps of step
        Slider, ///< a slider from minimum to maximum between the words lowEnd and highEnd
    };
    std::string_view group; ///< the titled group it sits in; controls of one group are adjacent
    std::string_view objectName;
    std::string_view accessibleName;
    Kind kind = Kind::List;
    std::string_view key;
    std::span<const PageListItem> items{};
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t step = 1;
    std::string_view lowEnd{};
    std::string_view highEnd{};
};

/// A format's page of the options dialog: its tab title and controls. A page with a title and
/// no controls is one the user interface lays out itself; a format without a title has none.
struct CodecPage {
    std::string_view title;
    std::span<const PageControl> controls{};
};

} // namespace corvath
