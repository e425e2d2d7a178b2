// The cursor trail.
#include "game/app/MyCursor.h"

#include "host/App.h"

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
    if (systemCursor_) return;
    // Without the application nothing tells where the pointer is: the
    // trail stays where it was.
    if (TApp* app = GetApp())
    {
        int x = 0, y = 0;
        app->GetMousePosition(x, y);
        trail_->SetPosition(float(x), float(y));
    }
    AdvanceAndDraw();
}

void TMyCursor::DrawAt(int x, int y)
{
    if (systemCursor_) return;
    trail_->SetPosition(float(x), float(y));
    AdvanceAndDraw();
}

void TMyCursor::AdvanceAndDraw()
{
    // Nothing else advances the trail: it follows the pointer once per
    // drawn frame.
    trail_->Update();
    trail_->Draw();
}
