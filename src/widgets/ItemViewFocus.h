#pragma once

class QAbstractItemView;

// The keyboard rules every list and tree of the windows follows:
// - a view entered with Tab (or Shift+Tab, or a shortcut) selects its current row, or its
//   first row when it has none, so that what Enter or Delete would act on is in sight;
// - only a view that has the focus has a current item: a screen reader reports the current
//   item of a view as focused, and several views each with one would read as several focused
//   objects at once. The current item is put back when the view takes the focus again.
namespace ItemViewFocus {
void Attach(QAbstractItemView* view);
} // namespace ItemViewFocus
