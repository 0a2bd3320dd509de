#pragma once

#include <QtWidgets/QStyledItemDelegate>

// The item delegate of lists whose columns may be too narrow for their texts: the view ends such a
// text in "…", and this delegate shows it whole as the item's tooltip (a text that fits gets none).
// The item keeps its whole text, so its accessible name is whole either way.
class CutTextTips : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Whether the text of `index` is cut in the cell that `option` describes.
    bool isCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
