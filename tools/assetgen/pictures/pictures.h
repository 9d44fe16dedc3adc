// Every picture the generator makes, one function each. Sizes, cell layouts
// and colour keys are the game's; the content is ours.
#pragma once

#include "course.h"
#include "image.h"
#include "text.h"

namespace pictures {

// The play field's sheets.
Image MakeSky();                                   // bmp/kumo.bmp, 1800 x 600, opaque
Image MakeCourse(const Course& course, Fonts& fonts);  // bmp/biru.bmp, 15000 x 600, white key
Image MakeHeroSheet();                             // bmp/chara.bmp, 480 x 96, white key
Image MakeBlastSheet();                            // bmp/baku.bmp, 768 x 192, black key
Image MakeItemSheet();                             // bmp/item.bmp, 128 x 32, white key
Image MakePadSheet();                              // bmp/jump.bmp, 48 x 16, white key
Image MakeDigitSheet();                            // bmp/suji.bmp, 12 x 288, white key
Image MakePanel(Fonts& fonts);                     // bmp/kabe.bmp, 800 x 100, white key
Image MakeReadyGo(Fonts& fonts);                   // bmp/ready_go.bmp, 1080 x 133, white key
Image MakeGameOver(Fonts& fonts);                  // bmp/end.bmp, 800 x 600, opaque

// The title band: lettering (white around the letters), its mask (white on
// the letters, black elsewhere) and the band's background.
struct TitlePictures {
    Image lettering;  // bmp/mozi.bmp
    Image mask;       // bmp/mask.bmp
    Image band;       // bmp/back(1).bmp
};
TitlePictures MakeTitlePictures(Fonts& fonts);

// The pictures compiled into the program.
Image MakeTitleBackground();       // 574 x 400
Image MakeOptionsBackground();     // 400 x 300
Image MakeEvaluationBackground();  // 800 x 600
Image MakePortrait();              // 128 x 128

}  // namespace pictures
