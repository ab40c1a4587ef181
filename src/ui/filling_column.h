#pragma once

class QTreeView;

namespace corvath::ui {

/// Keeps a column of a view as wide as the view leaves beside its other columns, never narrower
/// than minimumWidth: it takes the width the view gains and gives it back when the view shrinks
/// or another column widens. The user resizes the other columns only.
void KeepColumnFilling(QTreeView& view, int column, int minimumWidth);

} // namespace corvath::ui
