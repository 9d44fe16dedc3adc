// Items: drawn before they are collected, dropped once they leave the view
// on the left, collected with the 30-pixel margin on their left side only,
// and the four kinds' effects, in record order.
#include <gtest/gtest.h>

#ifdef ROOFRIDER_PROGRAM_COMPLETE

#include <memory>

#include "core/game_state.h"
#include "display/surfaces.h"
#include "game/items.h"
#include "game/player.h"
#include "platform/ddraw.h"
#include "test_world_helpers.h"

namespace {

using world_test::WorldTest;

class ItemTest : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        ClearItems();
    }
    void TearDown() override {
        D = DisplayState{};
        WorldTest::TearDown();
    }

    // Every item taken, so that only those a test places take part.
    static void ClearItems() {
        for (Integer n = 1; n <= G.ItemCount; ++n) G.Items[static_cast<std::size_t>(n)].Taken = 1;
    }
    static LevelRecord& Place(int n, float left, float top, float right, float bottom,
                              Integer kind) {
        LevelRecord& item = G.Items[static_cast<std::size_t>(n)];
        item = LevelRecord{left, top, right, bottom, kind, 0};
        return item;
    }
    // An item the hero (back edge 100, front 196, head 354, feet 450) overlaps.
    static LevelRecord& Touching(int n, Integer kind) { return Place(n, 150, 400, 250, 432, kind); }

    // A display in memory: an 800 x 600 back buffer of one colour and an
    // item sheet whose four cells are flat colours, each with a keyed pixel
    // in its top-left corner.
    void MakeDisplay() {
        D.DDraw = ddraw::DirectX7().DirectDrawCreate("");
        back_ = D.DDraw->CreateSurface(*Desc(800, 600));
        D.BackBuffer = back_.get();
        D.ItemSurface = D.DDraw->CreateSurface(*Desc(128, 32));
        uint16_t* sheet = D.ItemSurface->MutablePixels();
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 128; ++x)
                sheet[y * 128 + x] = (x % 32 == 0 && y == 0) ? kKey : Cell(x / 32);
        D.ItemSurface->SetColorKey(ddraw::DDCKEY_SRCBLT, ddraw::DDCOLORKEY{0, 0});
        ClearBack();
    }
    void ClearBack() {
        uint16_t* p = back_->MutablePixels();
        for (int i = 0; i < 800 * 600; ++i) p[i] = kBack;
    }
    uint16_t At(int x, int y) const { return back_->Pixels()[y * 800 + x]; }
    int DrawnPixels() const {
        int n = 0;
        for (int i = 0; i < 800 * 600; ++i) n += back_->Pixels()[i] != kBack;
        return n;
    }

    static uint16_t Cell(int kind) {
        return ddraw::ColorTo565(static_cast<int32_t>(0x00C86400u + 8u * static_cast<uint32_t>(kind)));
    }
    static constexpr uint16_t kKey = 0;  // black
    static constexpr uint16_t kBack = 0x1234;

private:
    static std::unique_ptr<ddraw::DDSURFACEDESC2> Desc(int w, int h) {
        auto d = std::make_unique<ddraw::DDSURFACEDESC2>();
        d->lFlags = ddraw::DDSD_CAPS | ddraw::DDSD_HEIGHT | ddraw::DDSD_WIDTH;
        d->ddsCaps.lCaps = ddraw::DDSCAPS_OFFSCREENPLAIN | ddraw::DDSCAPS_SYSTEMMEMORY;
        d->lWidth = w;
        d->lHeight = h;
        return d;
    }
    std::shared_ptr<ddraw::DirectDrawSurface7> back_;
};

TEST_F(ItemTest, EachItemIsDrawnFromItsCellAtItsRoundedPlace) {
    MakeDisplay();
    G.ScrollX = 1000;
    Place(1, 1300.5f, 100.5f, 1332, 132, 2);  // x 300.5 and y 100.5: both to even, 300 and 100
    Place(2, 1501.5f, 200, 1533, 232, 0);     // x 501.5 to 502
    UpdateItems();
    EXPECT_EQ(At(300, 100), kBack) << "the keyed pixel lets the back show";
    EXPECT_EQ(At(301, 100), Cell(2));
    EXPECT_EQ(At(331, 131), Cell(2));
    EXPECT_EQ(At(332, 131), kBack);
    EXPECT_EQ(At(299, 101), kBack);
    EXPECT_EQ(At(503, 200), Cell(0));
    EXPECT_EQ(At(502, 201), Cell(0));
    EXPECT_EQ(At(501, 201), kBack);
    EXPECT_EQ(DrawnPixels(), 2 * (32 * 32 - 1));
}

TEST_F(ItemTest, AnItemCollectedInAFrameIsStillDrawnInIt) {
    MakeDisplay();
    Touching(1, 3);
    UpdateItems();
    EXPECT_EQ(At(151, 400), Cell(3));
    EXPECT_EQ(G.Items[1].Taken, 1);
    EXPECT_EQ(G.Score, 300);
    ClearBack();
    UpdateItems();
    EXPECT_EQ(DrawnPixels(), 0);
    EXPECT_EQ(G.Score, 300) << "collected once";
}

TEST_F(ItemTest, CopiesThatDoNotFitAreSkippedAndTheOthersStillDrawn) {
    MakeDisplay();
    Place(1, -10, 100, 22, 132, 1);   // partly left of the screen
    Place(2, 790, 100, 822, 132, 1);  // partly right of it
    Place(3, 300, 580, 332, 612, 1);  // partly below it
    Place(4, 400, 100, 432, 132, 4);  // a kind with no cell in the sheet
    Place(5, 500, 100, 532, 132, -1);
    Place(6, 600, 100, 632, 132, 1);
    EXPECT_NO_THROW(UpdateItems());
    EXPECT_EQ(DrawnPixels(), 32 * 32 - 1);
    EXPECT_EQ(At(601, 100), Cell(1));
}

TEST_F(ItemTest, WithoutADisplayItemsAreStillCollected) {
    Touching(1, 0);
    UpdateItems();
    EXPECT_EQ(G.Lives, 5);
}

TEST_F(ItemTest, TheMarginIsOnTheItemsLeftSideOnly) {
    struct Case {
        float left, top, right, bottom;
        bool collected;
        const char* what;
    };
    const Case cases[] = {
        {166, 400, 250, 432, false, "front exactly 30 px into the item"},
        {165.5f, 400, 250, 432, true, "front just over 30 px into it"},
        {50, 400, 100, 432, false, "back edge exactly at its right edge"},
        {50, 400, 100.5f, 432, true, "back edge just short of its right edge"},
        {150, 450, 250, 482, false, "feet exactly at its top"},
        {150, 449.5f, 250, 482, true, "feet just below its top"},
        {150, 300, 250, 354, false, "head exactly at its bottom"},
        {150, 300, 250, 354.5f, true, "head just above its bottom"},
    };
    for (const Case& c : cases) {
        Fresh();
        ClearItems();
        Place(1, c.left, c.top, c.right, c.bottom, 3);
        UpdateItems();
        EXPECT_EQ(G.Items[1].Taken == 1, c.collected) << c.what;
        EXPECT_EQ(G.Score, c.collected ? 300 : 0) << c.what;
    }
}

TEST_F(ItemTest, AnItemWhoseRightEdgeLeftTheScreenIsGoneForGood) {
    G.ScrollX = 1000;
    Place(1, 968, 100, 1000, 132, 0);  // right edge exactly at the screen's left edge: still there
    Place(2, 967.5f, 100, 999.5f, 132, 0);
    UpdateItems();
    EXPECT_EQ(G.Items[1].Taken, 0);
    EXPECT_EQ(G.Items[2].Taken, 1);
    EXPECT_EQ(G.Lives, 4) << "dropped, not collected";
    G.ScrollX = 900;  // even if the view came back (a respawn), it stays gone
    UpdateItems();
    EXPECT_EQ(G.Items[2].Taken, 1);
}

TEST_F(ItemTest, TheFourKindsAndAnUnknownOne) {
    G.Lives = 9;
    Touching(1, 0);
    UpdateItems();
    EXPECT_EQ(G.Lives, 10) << "no upper limit";

    Touching(2, 1);
    UpdateItems();
    EXPECT_EQ(G.ScrollSpeed, 6);

    Touching(3, 2);
    UpdateItems();
    EXPECT_EQ(G.ScrollSpeed, static_cast<float>(6 / 1.3));

    Touching(4, 3);
    UpdateItems();
    EXPECT_EQ(G.Score, 300);

    Touching(5, 7);
    const GameState before = G;
    UpdateItems();
    EXPECT_EQ(G.Items[5].Taken, 1);
    EXPECT_EQ(G.Lives, before.Lives);
    EXPECT_EQ(G.ScrollSpeed, before.ScrollSpeed);
    EXPECT_EQ(G.Score, before.Score);
}

TEST_F(ItemTest, ASlowDownNeverGoesBelowOneAndAHalf) {
    G.ScrollSpeed = 1.6f;
    Touching(1, 2);
    UpdateItems();
    EXPECT_EQ(G.ScrollSpeed, 1.5);

    // Against a wall the world stands: a slow-down sets it moving again,
    // a speed-up leaves it standing.
    G.PlayerState = 3;
    G.ScrollSpeed = 0;
    Touching(2, 1);
    UpdateItems();
    EXPECT_EQ(G.ScrollSpeed, 0);
    Touching(3, 2);
    UpdateItems();
    EXPECT_EQ(G.ScrollSpeed, 1.5);
}

TEST_F(ItemTest, ItemsCollectedInOneFrameActInRecordOrder) {
    G.ScrollSpeed = 1.6f;
    Touching(1, 1);  // 1.92, then / 1.3 = 1.48: raised to 1.5
    Touching(2, 2);
    UpdateItems();
    EXPECT_EQ(G.ScrollSpeed, 1.5);

    Fresh();
    ClearItems();
    G.ScrollSpeed = 1.6f;
    Touching(1, 2);  // 1.23: raised to 1.5, then * 1.2 = 1.8
    Touching(2, 1);
    UpdateItems();
    EXPECT_EQ(G.ScrollSpeed, static_cast<float>(1.5 * 1.2));
}

TEST_F(ItemTest, ASpeedItemDuringADashChangesWhatItsEndDividesBy1Point8) {
    G.PlayerState = 4;
    G.DashTimer = 1;
    G.ScrollSpeed = static_cast<float>(5 * 1.8);
    Touching(1, 1);
    UpdateItems();
    UpdatePlayer();  // the dash ends
    EXPECT_EQ(G.PlayerState, 1);
    EXPECT_FLOAT_EQ(G.ScrollSpeed, 6);
}

}  // namespace

#endif  // ROOFRIDER_PROGRAM_COMPLETE
