#pragma once

#include <QStyledItemDelegate>

namespace pelloran {

// Draws items as usual but gives every line the same fixed height.
class LineHeightDelegate : public QStyledItemDelegate {
 public:
  LineHeightDelegate(int line_height, QObject* parent)
      : QStyledItemDelegate(parent), line_height_(line_height) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), line_height_};
  }

 private:
  int line_height_;
};

}  // namespace pelloran
