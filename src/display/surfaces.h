// 初期処理 (display part) — display start-up and the ten play-field sheets.
#pragma once

#include <memory>

#include "platform/ddraw.h"

// The display variables, created by StartDisplay and kept until the end.
struct DisplayState {
    std::unique_ptr<ddraw::DirectX7> DxRoot;
    std::shared_ptr<ddraw::DirectDraw7> DDraw;
    std::shared_ptr<ddraw::DirectDrawSurface7> PrimarySurface;
    ddraw::DirectDrawSurface7* BackBuffer = nullptr;
    std::shared_ptr<ddraw::DirectDrawSurface7> CourseSurface, PlayerSurface, CloudSurface,
        PanelSurface, DigitSurface, ItemSurface, PadSurface, ReadyGoSurface, EndSurface,
        BlastSurface;
    ddraw::DDSURFACEDESC2 PrimaryDesc, CourseDesc, PlayerDesc, CloudDesc, PanelDesc, DigitDesc,
        ItemDesc, PadDesc, ReadyGoDesc, EndDesc, BlastDesc;
};
extern DisplayState D;

void StartDisplay();
void LoadSurfaces();
