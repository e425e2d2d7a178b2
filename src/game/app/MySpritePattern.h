// TMySpritePattern: the game's handle on one framework drawing object (a
// still sprite, an animated sprite or a particle emitter). It keeps its own
// copy of the drawing settings so that they can be written again when the
// picture is replaced under another name, and every setter keeps that copy
// and the inner object's TDrawParams in step.
//
// Nothing here fails: a pattern whose picture did not load draws nothing,
// hit-tests false and has the size (0, 0).
#pragma once

#include <cstdint>

#include "core/String.h"
#include "core/ValueTypes.h"
#include "graphics/DrawParams.h"

class TMySpritePattern
{
public:
    enum Kind : int32_t
    {
        kStill = 0,     // TMySprite
        kAnimated = 1,  // TMyAnimSprite
        kParticle = 2,  // TMyParticle
    };

    // What GetAnchor answers for a point the frame does not have.
    static constexpr int32_t kNoAnchor = -999;

    virtual ~TMySpritePattern() = default;
    TMySpritePattern(const TMySpritePattern&) = delete;
    TMySpritePattern& operator=(const TMySpritePattern&) = delete;

    // --- Virtual operations, in their fixed order ---
    // The inner object's own record (the particle kind's is its own, unused
    // in drawing).
    virtual TDrawParams& GetDrawParams() = 0;
    // The picture's size in pixels; (0, 0) without one.
    virtual void GetSize(int32_t* width, int32_t* height) = 0;
    virtual void SetUserValue(float value) { userValue_ = value; }
    // Replaces the picture and writes the kept settings again (see the kinds).
    virtual void Load(const TString& name, bool fromGroup) = 0;
    // (x, y) in screen pixels; alphaThreshold as the framework's sprite hit
    // test takes it. False without a picture.
    virtual bool HitTest(int32_t x, int32_t y, int alphaThreshold, const TDrawParams& parent) = 0;
    // Nothing while not visible.
    virtual void Draw() = 0;

    // --- Settings kept in step with the draw parameters ---
    void SetOriginEnabled(bool enabled);
    void SetSourceRectEnabled(bool enabled);
    // Written whether or not the origin is enabled.
    void SetOrigin(int32_t x, int32_t y);
    void SetSourceRect(int32_t x, int32_t y, int32_t width, int32_t height);
    void SetFlip(bool flipX, bool flipY);
    void SetColor(const TFloatVector4& color);
    void SetAlpha(float alpha);
    // The next three are only stored: they reach the screen at the next
    // UpdateTransform, which owners call after them.
    void SetRotation(float radians);
    void SetScale(float x, float y);
    // Virtual because a particle moves its emitter at once, also when moved
    // through this class.
    virtual void SetPosition(float x, float y);
    // Identity, then the rotation (when not 0), the scale (when not (1, 1)),
    // and the position as the translation row.
    void UpdateTransform();
    // The framework's neutral parent: zero position, alpha 1, scale 1, no flags.
    static const TDrawParams& NeutralParent();
    // SetPosition, then UpdateTransform: shown at (x, y) from the next draw.
    void MoveTo(float x, float y)
    {
        SetPosition(x, y);
        UpdateTransform();
    }

    // The named point of the animated kind's current frame, (kNoAnchor,
    // kNoAnchor) when the frame has no such point and for the other kinds.
    TPoint GetAnchor(const TString& name);

    int32_t GetKind() const { return kind_; }
    bool IsOriginEnabled() const { return originEnabled_; }
    bool IsSourceRectEnabled() const { return sourceRectEnabled_; }
    TPoint GetOrigin() const { return origin_; }
    const TRect& GetSourceRect() const { return sourceRect_; }
    bool GetFlipX() const { return flipX_; }
    bool GetFlipY() const { return flipY_; }
    const TFloatVector4& GetColor() const { return color_; }
    float GetAlpha() const { return alpha_; }
    float GetRotation() const { return rotation_; }
    TFloatPoint GetScale() const { return scale_; }
    TFloatPoint GetPosition() const { return position_; }
    float GetUserValue() const { return userValue_; }

    // Owners show and hide the pattern by writing this directly.
    bool visible = true;

protected:
    explicit TMySpritePattern(Kind kind) : kind_(kind) {}

    // After the inner object was replaced: the transform, then origin and
    // source rectangle (when enabled) and the alpha. Flips and colour are
    // left at the new object's defaults.
    void ReapplySettings();
    // The animated kind answers GetAnchor; the others have no frames.
    virtual bool FindFramePoint(const TString& name, int32_t* x, int32_t* y)
    {
        return (void)name, (void)x, (void)y, false;
    }

private:
    void SetFlagBit(uint32_t bit, bool on);

    bool originEnabled_ = false;
    TPoint origin_;
    bool sourceRectEnabled_ = false;
    TRect sourceRect_;
    float rotation_ = 0.0f;
    TFloatPoint scale_{1.0f, 1.0f};
    TFloatPoint position_;
    // White, as a fresh draw record holds it, so that reading it back tells
    // what is drawn even before SetColor.
    TFloatVector4 color_{1.0f, 1.0f, 1.0f, 1.0f};
    float alpha_ = 1.0f;
    bool flipX_ = false;
    bool flipY_ = false;
    int32_t kind_;
    float userValue_ = 0.0f;
};
