#pragma once
// What a mouse press and release do to the list the grid shows, without a widget. The list
// owns the selection and the current index; the model only remembers the range anchor and what
// the last press saw.

#include <QFlags>

#include <optional>

// The list the grid draws, as the grid reaches it.
class TThumbGridList {
public:
    virtual ~TThumbGridList() = default;
    virtual int Count() const = 0;
    virtual bool Selected(int index) const = 0;
    virtual void SetSelected(int index, bool selected) = 0;
    virtual void ClearSelection() = 0;
    virtual int Current() const = 0; // -1: none
    virtual void SetCurrent(int index) = 0;
};

enum class TThumbButton { Left, Right, Middle };
enum class TThumbModifier { None = 0, Shift = 1, Ctrl = 2 };
Q_DECLARE_FLAGS(TThumbModifiers, TThumbModifier)
Q_DECLARE_OPERATORS_FOR_FLAGS(TThumbModifiers)

class TThumbMouseModel {
public:
    explicit TThumbMouseModel(TThumbGridList& list) : FList(list) {}

    // With MultipleSelect off, Shift and Ctrl are ignored.
    void SetMultipleSelect(bool on) { FMultiple = on; }

    // False for a press outside any item: nothing changes, the grid raises its non-cell event.
    bool Press(int index, TThumbButton button, TThumbModifiers modifiers);
    // The item whose row is to be scrolled into view; nothing without a press on an item.
    std::optional<int> Release(TThumbButton button, TThumbModifiers modifiers);

private:
    TThumbModifiers effective(TThumbModifiers modifiers) const;
    void selectRange(int from, int to);

    TThumbGridList& FList;
    bool FMultiple = true;
    int FAnchor = -1;
    int FPressed = -1;
    bool FWasSelected = false;  // the pressed item, before the press
    bool FLastWithKeys = false; // the previous release held Shift or Ctrl
};
