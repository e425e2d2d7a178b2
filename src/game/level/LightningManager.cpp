// LightningManager: planning a bolt, its flicker and its end.
#include "game/level/LightningManager.h"

#include <algorithm>
#include <cmath>

#include "core/Clock.h"
#include "game/app/MySprite.h"
#include "game/level/LevelContext.h"
#include "game/level/ObjectZ.h"

namespace
{

const char kPiece[] = "game_logic_common:images/game_logic/lightning/lightning_piece_%d";
const char kShot[] = "game_logic_audio:audio/sound/game_logic/shot";
// The bolt's pieces overlap by this many pixels.
constexpr int32_t kOverlap = 5;
constexpr float kFullTurn = 6.2831855f;

}  // namespace

LightningManager::LightningManager(ILevelContext& level) : level_(level), clock_(level.GetMainClock()) {}

LightningManager::~LightningManager() = default;

TString LightningManager::PieceName()
{
    return TString::Format(kPiece, level_.Random() % kPieceKinds);
}

LightningManager::SBolt LightningManager::PlanBolt(TPoint source, TPoint target, int32_t pieceHeight)
{
    SBolt bolt;
    bolt.step = pieceHeight - kOverlap;
    const double dx = static_cast<double>(target.x) - source.x;
    const double dy = static_cast<double>(target.y) - source.y;
    const int32_t d = static_cast<int32_t>(std::sqrt(dx * dx + dy * dy));
    // Source and target on one point: pointing right.
    if (d > 0)
    {
        bolt.angle = static_cast<float>(std::acos(std::clamp(dx / d, -1.0, 1.0)));
        if (target.y < source.y) bolt.angle = kFullTurn - bolt.angle;
    }
    // A piece too short to step (or missing) draws no bolt.
    if (bolt.step <= 0) return bolt;
    bolt.count = d / bolt.step + (d % bolt.step >= bolt.step / 2 ? 1 : 0);
    return bolt;
}

void LightningManager::Strike(int32_t stallId, int32_t monsterId)
{
    TLevelStall* stall = level_.FindStall(stallId);
    TLevelWalker* monster = level_.FindMonster(monsterId);
    if (stall == nullptr || monster == nullptr) return;
    monster->struck = true;
    monster->Hit(true, false);

    int32_t w = 0;
    int32_t h = 0;
    TMySprite(TString::Format(kPiece, 0), true).GetSize(&w, &h);
    const TPoint source(stall->x + 1, stall->y - 55);
    const TFloatPoint at = monster->GetPosition();
    const TPoint target(static_cast<int32_t>(at.x), static_cast<int32_t>(at.y) - 20);
    const SBolt bolt = PlanBolt(source, target, h);

    auto strike = std::make_unique<SStrike>();
    float x = static_cast<float>(source.x);
    float y = static_cast<float>(source.y);
    for (int32_t i = 0; i < bolt.count; ++i)
    {
        auto piece = std::make_unique<TMySprite>(PieceName(), true);
        piece->SetOriginEnabled(true);
        piece->SetOrigin(0, h / 2);
        piece->SetRotation(bolt.angle);
        piece->SetPosition(x, y);
        piece->UpdateTransform();
        strike->pieces.push_back(std::move(piece));
        x += std::cos(bolt.angle) * static_cast<float>(bolt.step);
        y += std::sin(bolt.angle) * static_cast<float>(bolt.step);
    }
    strike->lastFlicker = clock_.GetTime();
    strikes_.push_back(std::move(strike));
    level_.PlaySound(kShot, false);
}

void LightningManager::Update()
{
    const int32_t now = clock_.GetTime();
    int32_t ended = -1;
    for (size_t i = 0; i < strikes_.size(); ++i)
    {
        SStrike& strike = *strikes_[i];
        if (now - strike.lastFlicker < kFlickerInterval) continue;
        if (strike.flickers + 1 == kFlickerLimit)
        {
            ended = static_cast<int32_t>(i);
            continue;
        }
        ++strike.flickers;
        strike.lastFlicker = now;
        for (auto& piece : strike.pieces) piece->Load(PieceName(), true);
    }
    if (ended >= 0) strikes_.erase(strikes_.begin() + ended);
}

void LightningManager::Draw()
{
    for (auto& strike : strikes_)
        for (auto& piece : strike->pieces) piece->Draw();
}

int32_t LightningWatch::Update(ILevelContext& level, const TLevelStall& stall, int32_t bonusType,
                               const std::vector<TRect>& areaRects)
{
    if (!stall.active || stall.state != kStateWorking || bonusType != kLightningBonus) return -1;
    const int32_t now = level.GetMainClock().GetTime();
    if (now - lastScan < interval) return -1;
    lastScan = now;
    for (int32_t i = 0; i < level.GetMonsterCount(); ++i)
    {
        TLevelWalker* monster = level.GetMonsterAt(i);
        if (monster == nullptr || monster->IsShieldOn()) continue;
        // Left and top inclusive, right and bottom exclusive.
        const TFloatPoint at = monster->GetPosition();
        const bool inside = std::any_of(areaRects.begin(), areaRects.end(), [&](const TRect& r) {
            return static_cast<float>(r.left) <= at.x && at.x < static_cast<float>(r.right) &&
                   static_cast<float>(r.top) <= at.y && at.y < static_cast<float>(r.bottom);
        });
        if (!inside)
        {
            monster->struck = false;
            continue;
        }
        // Struck on an earlier scan and still inside: the next one.
        if (monster->struck) continue;
        monster->struck = true;
        const int32_t monsterId = monster->id;
        level.StrikeLightning(stall.id, monsterId);
        return monsterId;
    }
    return -1;
}
