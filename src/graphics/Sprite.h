// TSprite: the retained-mode drawing node. A texture, its own draw
// parameters (relative to the parent's), a layer and a visibility flag, and
// children kept in layer order: negative layers draw under the node's own
// texture, the rest above it. The same combination of parameters gives the
// node's screen bounds and a pixel-exact hit test.
//
// Nothing here reports errors: a refused render target or a failed lock makes
// the hit test answer false; AddChild refuses (false) a child that would make
// the tree a cycle.
#pragma once

#include <memory>
#include <vector>

#include "core/Asset.h"
#include "core/ValueTypes.h"
#include "graphics/DrawParams.h"
#include "graphics/Texture.h"
#include "script/ScriptObject.h"

class TSprite;
using TSpriteRef = std::shared_ptr<TSprite>;

// Scripts hold sprites (the animation bindings call their members), so a
// sprite is a script object: a binding outliving its sprite does nothing.
class TSprite : public std::enable_shared_from_this<TSprite>, public TScriptObject
{
public:
    // A new sprite of that layer, with the texture when one is given.
    // Children are attached with AddChild.
    static TSpriteRef Create(int layer, const TTextureRef& texture = TTextureRef());

    // Counts itself into "current_sprite_count".
    explicit TSprite(int layer);
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    static TClassId ClassId();
    virtual const char* GetClassName() const { return "TSprite"; }
    virtual bool IsKindOf(TClassId id) const { return id == ClassId(); }

    // depth: levels of children taking part (0 this node only, negative the
    // whole subtree).
    virtual void Draw(const TDrawParams& parent, int depth);
    // False when child is not one of this sprite's children.
    virtual bool RemoveChild(const TSpriteRef& child);
    // Integer screen pixels; a node without a texture has the inverted
    // sentinel (10000000, 10000000, -10000000, -10000000) of its own.
    virtual void GetBounds(TRect& out, const TDrawParams& parent, int depth);
    // alphaThreshold < 0 tests the bounds only; otherwise the pixel under
    // point, drawn into a small render target, must have at least that alpha.
    // Must be called outside a frame (a refused render target answers false).
    virtual bool HitTest(const int point[2], const TDrawParams& parent, int alphaThreshold,
                         int depth);
    virtual void SetTexture(const TTextureRef& texture);
    // Stable: equal layers keep their order.
    virtual void SortChildren();

    // Appends child (which first leaves a parent it has) and re-sorts. False,
    // changing nothing, for null, this sprite itself or one of its ancestors.
    bool AddChild(const TSpriteRef& child);
    // A new value re-sorts the parent's children.
    void SetLayer(int layer);
    int GetLayer() const { return layer_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool IsVisible() const { return visible_; }
    TSprite* GetParent() const { return parent_; }
    const std::vector<TSpriteRef>& GetChildren() const { return children_; }
    const TTextureRef& GetSpriteTexture() const { return texture_; }

    // The node's own parameters; the game's sprite layer writes them directly.
    TDrawParams params;

    // Sprites alive in the process.
    static int GetLiveCount();

private:
    TSprite* parent_ = nullptr;
    bool visible_ = true;
    int layer_ = 0;
    TTextureRef texture_;
    std::vector<TSpriteRef> children_;
};

// Equal integer points.
inline bool PointsEqual(const int a[2], const int b[2])
{
    return a[0] == b[0] && a[1] == b[1];
}
