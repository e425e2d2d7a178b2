// The cursor trail.
#include "game/app/MyCursor.h"

#include "core/host/App.h"

TMyCursor::TMyCursor()
    : clock_(std::make_unique<TClock>()),
      trail_(std::make_unique<TMyParticle>(kTrailFile, kTrailImage))
{
    clock_->Start();
    trail_->SetClock(clock_.get());
    trail_->Start();
}

TMyCursor::~TMyCursor()
{
    // The trail reads the clock: it goes first.
    trail_.reset();
    clock_.reset();
}

void TMyCursor::Draw()
{
    TApp* app = GetApp();
    if (systemCursor_ || !app) return;
    int x = 0, y = 0;
    app->GetMousePosition(x, y);
    DrawAt(x, y);
}

void TMyCursor::DrawAt(int x, int y)
{
    if (systemCursor_) return;
    // Nothing else moves or advances the trail: it follows the pointer
    // once per drawn frame.
    trail_->SetPosition(float(x), float(y));
    trail_->Update();
    trail_->Draw();
}
