#include "ui/options/codec_pages.h"

#include "ui/options/described_page.h"
#include "ui/options/lame_page.h"
#include "ui/options/ogg_page.h"
#include "ui/options/wma_page.h"

#include <algorithm>
#include <array>
#include <functional>
#include <stdexcept>
#include <string>

namespace corvath::ui {

namespace {

template <typename Page> OptionsPage* Make()
{
    return new Page;
}

// Pages whose controls depend on each other or on a component, by their tab's title.
constexpr std::array<std::pair<std::string_view, OptionsPage* (*)()>, 3> kHandMadePages{{
    {"LAME", &Make<LamePage>},
    {"OGG", &Make<OggPage>},
    {"WMA", &Make<WmaPage>},
}};

} // namespace

OptionsPage* MakeCodecPage(const OutputFormatInfo& format)
{
    const CodecPage& page = format.page;
    if (page.title.empty())
        return nullptr;
    if (!page.controls.empty())
        return new DescribedPage(format);
    const auto made = std::ranges::find(kHandMadePages, page.title,
                                        &std::pair<std::string_view, OptionsPage* (*)()>::first);
    if (made == kHandMadePages.end())
        throw std::logic_error("no options page for " + std::string(page.title));
    return made->second();
}

} // namespace corvath::ui
