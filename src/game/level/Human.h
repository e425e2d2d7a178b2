// Human: the base of every walker of a level (customers, couriers, monsters).
// It walks a cell path of the level's walk grid from cell centre to cell
// centre at a speed in ms per 22 pixels (one cell's diagonal), shows a walk
// animation named from its image pattern with a shadow, and runs timed
// actions during which it does not walk.
//
// Walkers reach the level only through ILevelContext and keep ids of the
// stalls they deal with, never pointers. Random draws come from the level's
// one source.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "game/level/ObjectZ.h"
#include "game/level/WalkGrid.h"

class ILevelContext;
class TLuaTable;
class TMyAnimSprite;
class TMySprite;

class Human : public TLevelWalker
{
public:
    // Pixels of one cell's diagonal: the distance the speed is given for.
    static constexpr int32_t kSpeedDistance = 22;
    static constexpr int32_t kDefaultSpeed = 1000;

    explicit Human(ILevelContext& level);
    ~Human() override;

    void Update() override;
    void Draw() override;
    void CreateSprites(int32_t walkerId, int32_t px, int32_t py) override;
    void OnArrive() override;

    virtual void Reset();
    // The kind's script; nothing in the base.
    virtual void Load() {}
    virtual void SetPosition(float px, float py);
    void SetPositionInt(int32_t px, int32_t py);
    // Reloads the walk animation for the direction (keeping its frame) and
    // mirrors it by the direction table; always shows the sprite at alpha 1.
    virtual void SetWalkAnim(int32_t dir);
    // Walks to (x, y): a cell when isCell, else pixels. False when the grid
    // has no path (the path is then empty; see OnPathFailed).
    bool WalkTo(int32_t x, int32_t y, bool isCell);
    void SetPath(const std::vector<TGridCell>& cells);
    // Starts the walk to the next path cell; false when the path is empty.
    bool NextPathStep();
    void WalkStep();
    // The walk pauses while an action runs; keepAnimating with mode -1 plays
    // "DoAnim", without keepAnimating the animation stops.
    void StartAction(int32_t duration, bool keepAnimating, int32_t mode);
    virtual void FinishAction();

    // The walk image index and mirroring of a direction (0 to 7).
    static int32_t WalkImageOf(int32_t dir) { return dir % 2; }
    static bool IsMirrored(int32_t dir);
    // The direction of a cell step; -1 for no step.
    static int32_t DirectionOf(int32_t dx, int32_t dy);
    // The walk animation's name for a walk image index.
    TString WalkAnimName(int32_t index) const;

    // --- Read by tests and the level ---
    TFloatPoint GetPosition() const { return position_; }
    int32_t GetSpeed() const { return speed_; }
    int32_t GetBaseSpeed() const { return baseSpeed_; }
    int32_t GetSegmentDuration() const { return segmentDuration_; }
    int32_t GetDirection() const { return direction_; }
    bool IsWalking() const { return walking_; }
    bool IsActionRunning() const { return actionRunning_; }
    const std::deque<TGridCell>& GetPath() const { return path_; }
    const std::vector<TGridCell>& GetVisited() const { return visited_; }
    const TString& GetImagePattern() const { return imagePattern_; }
    TMyAnimSprite* GetMainSprite() const { return mainSprite_.get(); }
    TMySprite* GetShadow() const { return shadow_.get(); }
    TGridCell GetCell() const;

    int32_t depthOffset = 0;
    // Called with the walker id on every arrival (after the frame reset).
    std::function<void(int32_t)> arrivalCallback;

protected:
    // Runs the kind's script file in a fresh environment and hands its
    // global table "Main" to read, then (when asked) its second table; a
    // file that does not run or lacks "Main" is logged and false.
    static bool ReadScript(const TString& file, const std::function<void(const TLuaTable& main)>& read,
                           const char* second = nullptr,
                           const std::function<void(const TLuaTable&)>& readSecond = nullptr);
    // What a kind does when the grid has no path; nothing in the base (the
    // walker keeps its state with an empty path).
    virtual void OnPathFailed() {}
    // Draws the main sprite and shadow at the position (the base draw).
    void DrawBody();
    // Draws the main sprite twice: a dark half-transparent silhouette at the
    // position, then the walker itself raised by height pixels.
    void DrawRaised(int32_t height);
    void StopAnimation();
    int32_t Random() const;

    ILevelContext& level_;
    WalkGrid& grid_;
    TString imagePattern_;
    std::unique_ptr<TMyAnimSprite> mainSprite_;
    std::unique_ptr<TMySprite> shadow_;
    TFloatPoint segmentStart_;
    TFloatPoint position_;
    TFloatPoint segmentEnd_;
    TFloatPoint segmentOffset_;
    TFloatPoint segmentVector_;
    int32_t speed_ = kDefaultSpeed;
    int32_t baseSpeed_ = kDefaultSpeed;
    int32_t segmentDuration_ = 0;
    std::deque<TGridCell> path_;
    std::vector<TGridCell> visited_;
    bool walking_ = false;
    int32_t direction_ = 0;
    bool actionRunning_ = false;
    int32_t actionDuration_ = 0;
};
