#include "ui/program_icon.h"

#include <QApplication>
#include <QFile>
#include <QStyle>

namespace corvath::ui {

QIcon ProgramIcon()
{
    static const char* const kBundled = ":/corvath.svg";
    if (QFile::exists(kBundled))
        return QIcon(kBundled);
    return QIcon::fromTheme(kProgramIconName,
                            QApplication::style()->standardIcon(QStyle::SP_DriveCDIcon));
}

} // namespace corvath::ui
