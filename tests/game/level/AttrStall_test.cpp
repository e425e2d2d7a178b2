// Attraction stalls: the badge's count follows the level from the first
// frame of an upgrade; refund and price.
#include "game/level/AttrStall.h"

#include <gtest/gtest.h>

#include <string>

#include "game/app/MySprite.h"
#include "game/level/support/StallFixture.h"
#include "graphics/TextGraphic.h"

namespace
{

class AttrStallTest : public StallFixture
{
};

TEST_F(AttrStallTest, TheBadgeCountsTheCustomersOfTheLevel)
{
    AttrStall& s = Working<AttrStall>(attr_);
    ASSERT_NE(s.GetValueText(), nullptr);
    EXPECT_EQ(std::string(s.GetValueText()->GetText().CStr()), "2");
    s.Upgrade(true);
    s.Update();
    EXPECT_EQ(std::string(s.GetValueText()->GetText().CStr()), "3") << "from the upgrade's first frame";
}

TEST_F(AttrStallTest, TheBadgeSitsAtTheCommonOffsets)
{
    level_->common.luckyBubble.text = {5, -60};
    level_->common.luckyBubble.textW = 30;
    level_->common.luckyBubble.textH = 20;
    level_->common.luckyBubble.bubble = {10, -50};
    AttrStall& s = Make<AttrStall>(attr_, 400, 300);
    EXPECT_EQ(s.GetTextRect().left, 405);
    EXPECT_EQ(s.GetTextRect().top, 240);
    EXPECT_EQ(s.GetTextRect().right, 435);
    EXPECT_EQ(s.GetTextRect().bottom, 260);
    EXPECT_FLOAT_EQ(s.GetBubble()->GetPosition().x, 410.0f);
    EXPECT_FLOAT_EQ(s.GetBubble()->GetPosition().y, 250.0f);
}

TEST_F(AttrStallTest, RefundAndPrice)
{
    AttrStall& s = Working<AttrStall>(attr_);
    EXPECT_TRUE(s.IsServiceable(1));
    s.UpdateRefund();
    EXPECT_EQ(s.refund, 40 / 10 * 5);
    s.Break(true, false);
    s.UpdateRefund();
    EXPECT_EQ(s.refund, 0);
    s.UpdatePrice(false);
    EXPECT_EQ(s.price, 1500);
    s.Repair(true);
    EXPECT_FALSE(s.IsServiceable(1));
}

}  // namespace
