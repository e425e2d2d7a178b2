// TMyCursor: the particle trail behind the mouse pointer, drawn on top of
// every game screen while the game's own pointer image is in use.
//
// Nothing here fails: a trail whose particle file or picture is missing
// draws nothing (their loaders log it).
#pragma once

#include <memory>

#include "core/Clock.h"
#include "game/app/MyParticle.h"
#include "game/app/Singleton.h"

class TMyCursor : public Singleton<TMyCursor>
{
public:
    static constexpr const char* kTrailFile = "images/core/particle/mouse_move.psi";
    static constexpr const char* kTrailImage = "images/core/particle/mouse_move";

    // Starts the clock and the trail.
    TMyCursor();
    ~TMyCursor() override;

    // Unless the system pointer image is in use: moves the trail to the
    // pointer (game coordinates; it stays where it was while there is no
    // application to tell), advances it and draws it. The caller has begun
    // 2D drawing (DrawCursorTrail, from a game window's overlay).
    void Draw();
    // As Draw, with the pointer at (x, y).
    void DrawAt(int x, int y);

    // Set while the profile's "gamecursor" is 0: the trail is not drawn.
    void SetSystemCursor(bool systemCursor) { systemCursor_ = systemCursor; }
    bool IsSystemCursor() const { return systemCursor_; }

    TMyParticle& GetTrail() { return *trail_; }
    TClock& GetClock() { return *clock_; }

private:
    void AdvanceAndDraw();

    std::unique_ptr<TClock> clock_;
    std::unique_ptr<TMyParticle> trail_;
    bool systemCursor_ = false;
};
