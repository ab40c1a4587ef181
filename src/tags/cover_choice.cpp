#include "tags/cover_choice.h"

namespace corvath {

void CoverChoice::Offer(bool frontCover, std::string bytes)
{
    std::optional<CoverPicture>& slot = frontCover ? front_ : other_;
    if (!slot)
        slot = CoverPictureOf(std::move(bytes));
}

} // namespace corvath
