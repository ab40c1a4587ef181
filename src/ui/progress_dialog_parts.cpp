#include "ui/progress_dialog_parts.h"

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <filesystem>

namespace corvath::ui {

QLabel* ValueLabel(const char* name, const QString& description, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // Its name stays its text: the caption names it through the buddy relation.
    label->setAccessibleDescription(description);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QString FileNameOf(const std::string& path)
{
    return QString::fromStdString(std::filesystem::path(path).filename().string());
}

QProgressBar* CaptionedProgressBar(QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName("ProgressBar1");
    bar->setAccessibleName("Progress");
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(true);
    bar->setAlignment(Qt::AlignCenter);
    return bar;
}

void ShowFailureList(QWidget* parent, const QString& oneFailed, const QString& severalFailed,
                     const QStringList& lines)
{
    const QString heading = lines.size() == 1 ? oneFailed : severalFailed;
    QMessageBox::warning(parent, "Corvath", heading + "\n\n" + lines.join("\n"));
}

} // namespace corvath::ui
