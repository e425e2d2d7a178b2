// TWindowSpider: a visitor run over a window's direct children; a spider
// that wants the whole subtree runs itself again from its Visit. The
// spiders of the window tree's own walks live here.
#pragma once

#include <cstdint>

class TWindow;
class TWindowManager;

class TWindowSpider
{
public:
    virtual ~TWindowSpider() = default;
    // False stops the walk of the current child list.
    virtual bool Visit(TWindow* window) = 0;
};

// The largest right and bottom of the children, starting from the window's
// own width and height (so fitting never shrinks).
class GetLargest : public TWindowSpider
{
public:
    GetLargest(int32_t width, int32_t height) : right(width), bottom(height) {}
    bool Visit(TWindow* window) override;
    int32_t right, bottom;
};

// Unlinks each child from parent and hands it to the manager's delayed
// deletion (deleted at once when there is no manager).
class ChildrenDelete : public TWindowSpider
{
public:
    ChildrenDelete(TWindow* parent, TWindowManager* manager) : parent_(parent), manager_(manager) {}
    bool Visit(TWindow* window) override;

private:
    TWindow* parent_;
    TWindowManager* manager_;
};

// Flags AND mask on each window (state bits only, as SetFlags takes them);
// recursive walks the subtrees too.
class TWindowClearFlags : public TWindowSpider
{
public:
    TWindowClearFlags(uint32_t mask, bool recursive) : mask_(mask), recursive_(recursive) {}
    bool Visit(TWindow* window) override;

private:
    uint32_t mask_;
    bool recursive_;
};

// Tells every window of a popped modal: children before their parent.
class TModalPoppedSpider : public TWindowSpider
{
public:
    bool Visit(TWindow* window) override;
};
