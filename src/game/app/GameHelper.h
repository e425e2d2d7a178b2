// IGameHelper: what the app library needs of the helper character, which
// sits in the HUD library above it. The program entry installs the real
// helper; until then a helper that shows nothing stands in.
#pragma once

class TClock;

class IGameHelper
{
public:
    virtual ~IGameHelper() = default;

    // Gives the helper the level logic's main clock (once, at start-up).
    virtual void SetClock(TClock* clock) { (void)clock; }
    // Lays the speech bubble out again when it is shown (after a display
    // mode change during a level).
    virtual void RebuildBubble() {}

    // --- the career map's panel ---
    // Shows the panel with map message n; -1 only notes that it is not wanted.
    virtual void ShowOnMap(int n) { (void)n; }
    virtual void StartMapSlideIn() {}
    // Per frame: the panel's slide; after its stay it slides out and hides.
    virtual void UpdateMapSlide() {}
    // Draws the panel when visible.
    virtual void DrawOnMap() {}
    // False when the point is on the helper's button.
    virtual bool OnMouseMove(int x, int y) { return (void)x, (void)y, true; }
};

// The installed helper (never null: the do-nothing one when none is
// installed). Borrowed, as with SetRunningLevel.
IGameHelper& GetGameHelper();
void SetGameHelper(IGameHelper* helper);
