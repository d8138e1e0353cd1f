// mkassets OUTPUT_DIR FONT_FILE: writes every bitmap, the music module and the sound sample
// the game reads from its working directory. The output depends on nothing but the code and
// the font file, so every run writes the same bytes.
#include "common.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkassets OUTPUT_DIR FONT_FILE\n");
        return 2;
    }
    const std::string dir = argv[1];
    const std::string fontFile = argv[2];
    try {
        auto bmp = [&](const char* name, const mk::Image& img) {
            mk::WriteFile(dir + "/" + name, mk::EncodeBmp(img));
        };
        mk::Image ground = mk::MakeGroundTexture();
        mk::Image bark = mk::MakeBarkTexture();
        mk::Image skin = mk::MakeWormSkin();
        mk::Image sky = mk::MakeSky();
        bmp("texture.bmp", ground);
        bmp("matohanta.bmp", skin);
        bmp("puutexture.bmp", bark);
        bmp("valo.bmp", mk::MakeGlow());
        bmp("sky.bmp", sky);

        mk::Image font, fontMask;
        mk::MakeFont(fontFile, font, fontMask);
        bmp("font1.bmp", font);
        bmp("font1mask.bmp", fontMask);

        mk::Image head, headMask;
        mk::MakeWormHead(head, headMask);
        bmp("art_matopaa.bmp", head);
        bmp("art_matopaamask.bmp", headMask);

        bmp("alku.bmp", mk::MakeTitle(ground, bark, skin, sky));
        mk::WriteFile(dir + "/Kv_play.xm", mk::MakeModule());
        mk::WriteFile(dir + "/plop.wav", mk::MakePlop());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkassets: %s\n", e.what());
        return 1;
    }
    return 0;
}
