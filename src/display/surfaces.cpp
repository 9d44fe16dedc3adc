// 初期処理 (display part) — display start-up and the ten play-field sheets.
//
// StartDisplay takes the screen for the play, makes the flipping pair of
// surfaces, loads the sheets, opens the music and runs the play loop.
// LoadSurfaces (again after a loss of the display) loads the sheets at the
// sizes the game state gives at that moment.
#include "display/surfaces.h"

#include "core/game_state.h"
#include "core/game_window.h"
#include "platform/basic.h"
#include "sound/sound.h"

DisplayState D;

namespace {

using ddraw::DDSURFACEDESC2;

// Flags CAPS + HEIGHT + WIDTH and caps OFFSCREENPLAIN + SYSTEMMEMORY: every
// sheet is a plain off-screen surface in system memory.
constexpr int32_t kSheetFlags = ddraw::DDSD_CAPS | ddraw::DDSD_HEIGHT | ddraw::DDSD_WIDTH;
constexpr int32_t kSheetCaps = ddraw::DDSCAPS_OFFSCREENPLAIN | ddraw::DDSCAPS_SYSTEMMEMORY;

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kBlack = 0x000000;

// Fills a sheet's description with its size, each side rounded to whole
// pixels; returns it for CreateSurfaceFromFile.
DDSURFACEDESC2& Describe(DDSURFACEDESC2& desc, double width, double height) {
    desc.lFlags = kSheetFlags;
    desc.ddsCaps.lCaps = kSheetCaps;
    desc.lWidth = basic::CInt(width);
    desc.lHeight = basic::CInt(height);
    return desc;
}

// Every sheet is named as every other file of the program: the program
// directory (which ends in "\") and a relative path.
std::shared_ptr<ddraw::DirectDrawSurface7> Sheet(const char* relative, DDSURFACEDESC2& desc) {
    return D.DDraw->CreateSurfaceFromFile(G.BasePath + relative, desc);
}

void SetKey(ddraw::DirectDrawSurface7& surface, int32_t colour) {
    surface.SetColorKey(ddraw::DDCKEY_SRCBLT, ddraw::DDCOLORKEY{colour, colour});
}

}  // namespace

void StartDisplay() {
    if (!D.DxRoot) D.DxRoot = std::make_unique<ddraw::DirectX7>();
    D.DDraw = D.DxRoot->DirectDrawCreate("");
    D.DDraw->SetCooperativeLevel(
        Game.hWnd(), ddraw::DDSCL_FULLSCREEN | ddraw::DDSCL_EXCLUSIVE | ddraw::DDSCL_ALLOWMODEX);
    D.DDraw->SetDisplayMode(800, 600, 16, 0, 0);

    D.PrimaryDesc.lFlags = ddraw::DDSD_CAPS | ddraw::DDSD_BACKBUFFERCOUNT;
    D.PrimaryDesc.ddsCaps.lCaps =
        ddraw::DDSCAPS_PRIMARYSURFACE | ddraw::DDSCAPS_FLIP | ddraw::DDSCAPS_COMPLEX;
    D.PrimaryDesc.lBackBufferCount = 1;
    D.PrimarySurface = D.DDraw->CreateSurface(D.PrimaryDesc);
    D.BackBuffer = D.PrimarySurface->GetAttachedSurface(ddraw::DDSCAPS2{ddraw::DDSCAPS_BACKBUFFER});

    LoadSurfaces();

    // The music is opened here and started by the play loop's first play
    // command.
    SendMci("close mcifile", MciReply);
    SendMci("open " + G.BasePath + "sound\\bgm1.mid" + " alias mcifile ", MciReply);

    PlayLoop();
}

void LoadSurfaces() {
    // The previous sheets go first (nothing to release on the first load).
    D.CourseSurface.reset();
    D.PlayerSurface.reset();
    D.CloudSurface.reset();
    D.PanelSurface.reset();
    D.DigitSurface.reset();
    D.PadSurface.reset();

    // Sizes come from the game state as it is now.
    D.CourseSurface = Sheet("bmp\\biru.bmp", Describe(D.CourseDesc, G.CourseWidth, G.CourseHeight));
    D.PlayerSurface = Sheet("bmp\\chara.bmp",
                            Describe(D.PlayerDesc, static_cast<float>(G.PlayerFrameCount * G.PlayerWidth),
                                     G.PlayerHeight));
    D.CloudSurface = Sheet("bmp\\kumo.bmp", Describe(D.CloudDesc, G.CloudWidth, G.CloudHeight));
    D.PanelSurface = Sheet("bmp\\kabe.bmp", Describe(D.PanelDesc, G.PanelWidth, G.PanelHeight));
    D.DigitSurface = Sheet("bmp\\suji.bmp",
                           Describe(D.DigitDesc, G.DigitWidth, static_cast<float>(G.DigitHeight * 12)));
    D.ItemSurface = Sheet("bmp\\item.bmp",
                          Describe(D.ItemDesc, static_cast<float>(G.ItemKindCount * G.ItemWidth), G.ItemHeight));
    D.PadSurface = Sheet("bmp\\jump.bmp",
                         Describe(D.PadDesc, static_cast<float>(3 * G.Pads[0].Width), G.Pads[0].Height));
    D.ReadyGoSurface = Sheet("bmp\\ready_go.bmp",
                             Describe(D.ReadyGoDesc, static_cast<float>(2 * G.ReadyGoWidth), G.ReadyGoHeight));
    D.EndSurface = Sheet("bmp\\end.bmp", Describe(D.EndDesc, 800, 600));
    // The blast's description never gets a size: the sheet takes its file's.
    D.BlastDesc.lFlags = kSheetFlags;
    D.BlastDesc.ddsCaps.lCaps = kSheetCaps;
    D.BlastSurface = Sheet("bmp\\baku.bmp", D.BlastDesc);

    SetKey(*D.PlayerSurface, kWhite);
    SetKey(*D.CourseSurface, kWhite);
    SetKey(*D.PanelSurface, kWhite);
    SetKey(*D.PadSurface, kWhite);
    SetKey(*D.DigitSurface, kWhite);
    SetKey(*D.ItemSurface, kWhite);
    SetKey(*D.ReadyGoSurface, kWhite);
    SetKey(*D.BlastSurface, kBlack);
}
