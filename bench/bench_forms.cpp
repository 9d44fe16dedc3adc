// Toolkit benchmarks: one repaint of the staff roll's full-screen window
// (thirteen labels over a black canvas), and the title band's three kinds
// of BitBlt, headless.
#include <benchmark/benchmark.h>

#include "platform/clock.h"
#include "platform/forms.h"

namespace {

void Start() {
    platform::clock::UseVirtualTime(true);
    forms::Initialise(/*headless=*/true);
}

class Roll : public forms::Form {
public:
    Roll() : Form("Ending") {}
    void Layout() override {
        SetBackColor(forms::kBlack);
        Move(0, 0, forms::ScreenWidth(), forms::ScreenHeight());
        const char* roles[6] = {"メインプログラマー", "ディレクター",       "シナリオライター",
                                "メインデザイナー",   "メインキャラクター", "PRESENTED BY"};
        for (int j = 0; j < 6; ++j) {
            Ob[j].SetCaption(roles[j]);
            Ob[j].SetFont("HG行書体", 14.25, true, true);
            Ob[j].SetTransparent(true);
            Ob[j].SetForeColor(forms::kWhite);
            Ob[j].Move(6000, 2000 + 1500.0f * j, 3135, 495);
            Name1[j].SetFont("ＭＳ Ｐ明朝", 18);
            Name1[j].SetAutoSize(true);
            Name1[j].SetTransparent(true);
            Name1[j].SetForeColor(forms::kWhite);
            Name1[j].SetCaption("TOMBELIX");
            Name1[j].Move(6500, 2350 + 1500.0f * j);
        }
        Label1.SetCaption("おわり");
        Label1.SetFont("HG創英角ﾎﾟｯﾌﾟ体", 18, true);
        Label1.SetTransparent(true);
        Label1.SetForeColor(forms::kWhite);
        Label1.Move(7000, 5000, 1215, 375);
    }
    forms::Label Ob[6]{this, this, this, this, this, this};
    forms::Label Name1[6]{this, this, this, this, this, this};
    forms::Label Label1{this};
};

void BM_StaffRollRepaint(benchmark::State& state) {
    Start();
    Roll roll;
    roll.Show(false);
    for (auto _ : state) {
        for (auto& label : roll.Ob) label.SetTop(label.Top() - 38);  // one tick's rise
        forms::DoEvents();                                           // one repaint
    }
    roll.Unload();
}
BENCHMARK(BM_StaffRollRepaint);

class Band : public forms::Form {
public:
    Band() : Form("Title") {}
    void Layout() override {
        SetClientSize(462 * 15, 371 * 15);
        Map.Move(0, 0, 462 * 15, 371 * 15);
        Mask.Move(0, 0, 200 * 15, 120 * 15);
        Mozi.Move(0, 0, 200 * 15, 120 * 15);
    }
    forms::PictureBox Map{this}, Mask{this}, Mozi{this};
};

void BM_TitleBandBitBlts(benchmark::State& state) {
    Start();
    Band band;
    for (auto _ : state) {
        forms::BitBlt(band.Map.hDC(), 0, 0, 468, 150, band.Mask.hDC(), 0, 0, forms::SRCCOPY);
        forms::BitBlt(band.Map.hDC(), 100, 0, 200, 120, band.Mask.hDC(), 0, 0, forms::SRCPAINT);
        forms::BitBlt(band.Map.hDC(), 100, 0, 200, 120, band.Mozi.hDC(), 0, 0, forms::SRCAND);
        forms::BitBlt(band.hDC(), 0, 0, 468, 150, band.Map.hDC(), 0, 0, forms::SRCCOPY);
    }
    band.Unload();
}
BENCHMARK(BM_TitleBandBitBlts);

}  // namespace
