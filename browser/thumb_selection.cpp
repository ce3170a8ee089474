#include "thumb_selection.h"

#include <algorithm>

TThumbModifiers TThumbMouseModel::effective(TThumbModifiers modifiers) const {
    return FMultiple ? modifiers : TThumbModifiers(TThumbModifier::None);
}

bool TThumbMouseModel::Press(int index, TThumbButton button, TThumbModifiers modifiers) {
    FPressed = -1;
    if (index < 0 || index >= FList.Count()) return false;
    const TThumbModifiers keys = effective(modifiers);
    FPressed = index;
    FWasSelected = FList.Selected(index);
    FList.SetCurrent(index);
    if (!keys.testFlag(TThumbModifier::Shift) || FAnchor < 0) FAnchor = index;
    const bool rightOnSelected = button == TThumbButton::Right && FWasSelected;
    if (!rightOnSelected && !keys && !FWasSelected) FList.ClearSelection();
    FList.SetSelected(index, true);
    return true;
}

void TThumbMouseModel::selectRange(int from, int to) {
    for (int i = std::min(from, to); i <= std::max(from, to); ++i) FList.SetSelected(i, true);
}

std::optional<int> TThumbMouseModel::Release(TThumbButton button, TThumbModifiers modifiers) {
    if (FPressed < 0 || FPressed >= FList.Count()) return std::nullopt;
    const int item = FPressed;
    FPressed = -1;
    const TThumbModifiers keys = effective(modifiers);
    const bool ctrl = keys.testFlag(TThumbModifier::Ctrl);
    const bool shift = keys.testFlag(TThumbModifier::Shift);
    if (ctrl && FWasSelected) FList.SetSelected(item, false);
    if (shift) {
        if (FLastWithKeys && !ctrl) FList.ClearSelection();
        selectRange(std::min(FAnchor, FList.Count() - 1), FList.Current());
    }
    if (!ctrl && !shift && FWasSelected && button != TThumbButton::Right) {
        FList.ClearSelection();
        FList.SetSelected(item, true);
    }
    FLastWithKeys = ctrl || shift;
    return item;
}
