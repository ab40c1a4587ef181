#include "ui/files_under_way.h"

#include "ui/progress_dialog_parts.h"

#include <QStringList>
#include <algorithm>

namespace corvath::ui {

void FilesUnderWay::Add(const std::string& input, const std::string& output)
{
    files_.push_back({input, FileNameOf(input) + QString(" \u2192 ") + FileNameOf(output)});
}

void FilesUnderWay::SetPercent(const std::string& input, int32_t percent)
{
    const auto file = std::ranges::find(files_, input, &File::input);
    if (file != files_.end())
        file->percent = percent;
}

void FilesUnderWay::Remove(const std::string& input)
{
    const auto file = std::ranges::find(files_, input, &File::input);
    if (file != files_.end())
        files_.erase(file);
}

int32_t FilesUnderWay::PercentSum() const
{
    int32_t sum = 0;
    for (const File& file : files_)
        sum += file.percent;
    return sum;
}

QString FilesUnderWay::Lines(std::size_t most) const
{
    // The count of the rest takes the last line when the files do not all fit.
    const std::size_t shown = files_.size() <= most ? files_.size() : most - 1;
    QStringList lines;
    for (std::size_t i = 0; i < shown; ++i)
        lines << files_[i].names + QString("  %1%").arg(files_[i].percent);
    if (shown < files_.size())
        lines << QString("and %1 more").arg(files_.size() - shown);
    return lines.join('\n');
}

} // namespace corvath::ui
