// The game's palette: one small set of colours shared by every picture, so
// that the sky, the city, the hero and the panel belong together.
#pragma once

#include "image.h"

namespace pictures::palette {

// Sky, top to horizon.
constexpr Rgb kSkyTop = 0x1F1B4D;
constexpr Rgb kSkyHigh = 0x3B2F73;
constexpr Rgb kSkyMid = 0x8A4F8F;
constexpr Rgb kSkyLow = 0xF08A5D;
constexpr Rgb kSkyHorizon = 0xF9C27B;
// Night (the game-over picture and the calm backgrounds).
constexpr Rgb kNightTop = 0x0E0C26;
constexpr Rgb kNightHigh = 0x1B1842;

// Clouds.
constexpr Rgb kCloudLit = 0xF5B38A;
constexpr Rgb kCloudWarm = 0xC77D8F;
constexpr Rgb kCloudShadow = 0x5A4A86;

// Buildings: three families, the roof ledge, windows, rooftop props.
constexpr Rgb kBuildingA = 0x2E3350;
constexpr Rgb kBuildingB = 0x3C4266;
constexpr Rgb kBuildingC = 0x4B5378;
constexpr Rgb kLedge = 0x6B7399;
constexpr Rgb kLedgeLight = 0x9AA2C8;
constexpr Rgb kWindowLit = 0xFFD27A;
constexpr Rgb kWindowBright = 0xFFE9A8;
constexpr Rgb kWindowTv = 0x8FCBFF;
constexpr Rgb kWindowDark = 0x1C2038;
constexpr Rgb kProp = 0x2A2E45;
constexpr Rgb kPropLight = 0x444A6A;

// The hero.
constexpr Rgb kSkin = 0xF2C29B;
constexpr Rgb kSkinShadow = 0xD39A7A;
constexpr Rgb kHair = 0x2B1B14;
constexpr Rgb kHairLight = 0x5A3A2A;
constexpr Rgb kJacket = 0xE8455A;
constexpr Rgb kJacketShadow = 0xB02A45;
constexpr Rgb kJacketLight = 0xFF7A86;
constexpr Rgb kTrousers = 0x2D3A6B;
constexpr Rgb kTrousersShadow = 0x1E2750;
constexpr Rgb kTrousersLight = 0x41508A;
constexpr Rgb kShades = 0x101018;
constexpr Rgb kGlint = 0x7FD6FF;
constexpr Rgb kDeck = 0xF2A33A;
constexpr Rgb kDeckShadow = 0xB8702A;
constexpr Rgb kWheel = 0x3A2A1A;
constexpr Rgb kShoe = 0xF4F4F0;
constexpr Rgb kShoeShadow = 0xB9B6C8;

// Outlines and the near-white used inside keyed sprites.
constexpr Rgb kOutline = 0x1A1326;
constexpr Rgb kNearWhite = 0xF4F4F0;

// Items and pads.
constexpr Rgb kLife = 0xFF5E7A;
constexpr Rgb kSpeedUp = 0x43D17A;
constexpr Rgb kSlowDown = 0x4FA3FF;
constexpr Rgb kBonus = 0xFFD23F;
constexpr Rgb kPadLow = 0x43D17A;
constexpr Rgb kPadMiddle = 0xFFD23F;
constexpr Rgb kPadHigh = 0xFF5E3A;

// Panel glass.
constexpr Rgb kGlassDark = 0x121027;
constexpr Rgb kGlass = 0x1D1A3D;
constexpr Rgb kGlassEdge = 0x7FD6FF;
constexpr Rgb kGlassWarm = 0xF08A5D;

}  // namespace pictures::palette
