#include "ui/user_guide.h"

#include "platform/files/program_folder.h"
#include "ui/desktop_open.h"

#include <QMessageBox>

namespace corvath::ui {

std::filesystem::path UserGuidePath()
{
    const std::filesystem::path candidates[] = {
        std::filesystem::path(ProgramFolder()) / "../share/doc/corvath/user-guide.html",
        std::filesystem::path(CORVATH_SOURCE_DIR) / "docs/user-guide.html",
    };
    for (const auto& candidate : candidates) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return std::filesystem::weakly_canonical(candidate, error);
    }
    return {};
}

void OpenUserGuide(QWidget* parent)
{
    const std::filesystem::path guide = UserGuidePath();
    if (guide.empty()) {
        QMessageBox::information(parent, "Corvath", "The user guide is not installed.");
        return;
    }
    OpenOnDesktop(QString::fromStdString(guide.string()), parent);
}

} // namespace corvath::ui
