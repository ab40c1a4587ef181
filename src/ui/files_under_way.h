#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace corvath::ui {

/// The files a conversion window shows as under way, in the order in which they started, each
/// with its percent done. Inputs are told apart by their paths.
class FilesUnderWay {
public:
    void Add(const std::string& input, const std::string& output);
    void SetPercent(const std::string& input, int32_t percent);
    /// Nothing happens for an input not under way.
    void Remove(const std::string& input);

    /// The percents of the files under way added up.
    int32_t PercentSum() const;
    /// One line per file, "in.wav → out.mp3  42%"; beyond most lines (at least 1), the last one
    /// counts the rest.
    QString Lines(std::size_t most) const;

private:
    struct File {
        std::string input;
        QString names; // of the input and the output, without folders
        int32_t percent = 0;
    };
    std::vector<File> files_;
};

} // namespace corvath::ui
