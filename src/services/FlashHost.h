// The movie host: made by the window script for one movie, asked to play,
// polled and stopped. No movie player exists on this platform, so Play
// always refuses; what a host does around a movie (releasing the mouse,
// the movie flags, the cursor and the redraw after it) still happens.
// Main thread only.
#pragma once

#include <functional>
#include <string>

// What the host needs of the window system and the display; the program
// fills them at start-up, tests replace them. Empty members do nothing,
// except the system-cursor pair, which defaults to the application's.
struct TFlashHostHooks
{
    std::function<void()> releaseMouseCapture;
    // The window manager's movie flag and exclusive-movie flag cleared.
    std::function<void(bool exclusive)> clearMovieFlags;
    std::function<void()> resetMouseImage;
    // Fills the root window with its colour and presents the frame (when a
    // root window exists and a frame can be begun).
    std::function<void()> fillRootWindow;
    std::function<bool()> isSystemCursorShown;
    std::function<void(bool)> showSystemCursor;
};

void SetFlashHostHooks(const TFlashHostHooks& hooks);
// Tests: no hooks, and the next refusal is logged again.
void ResetFlashHost();

class TFlashHost
{
public:
    // Keeps the name and the application's current system-cursor flag.
    explicit TFlashHost(const char* movieName);
    // Stops first.
    ~TFlashHost();
    TFlashHost(const TFlashHost&) = delete;
    TFlashHost& operator=(const TFlashHost&) = delete;

    // Releases the mouse capture when exclusive, then refuses: with the
    // setting "dxbroken" at once, else with a log line (once per run) that
    // movies cannot play here. The cursor is left as it was. Always false.
    bool Play(bool loop, bool start, bool exclusive);
    // No movie ever plays.
    bool IsPlaying() const { return false; }
    // Clears the movie flags, resets the mouse image, fills the root window
    // once and gives the cursor flag back.
    void Stop();

    const std::string& GetMovieName() const { return movieName_; }

private:
    std::string movieName_;
    bool savedCursorShown_ = true;
    bool exclusive_ = false;
};
