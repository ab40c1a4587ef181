#include "ui/output_format_list.h"

#include "codecs/output_format.h"

#include <QComboBox>

namespace corvath::ui {

void AddOutputFormats(QComboBox& list)
{
    for (const OutputFormatInfo& format : OutputFormats())
        list.addItem(QString::fromUtf8(format.shownName.data(),
                                       static_cast<qsizetype>(format.shownName.size())));
}

} // namespace corvath::ui
