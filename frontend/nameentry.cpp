// The name entry's screen: the typed name, the blinking picked character and the prompt.
#include "frontend/nameentry.h"

#include "game/state.h"
#include "screen/overlay.h"
#include "screen/screen.h"
#include "screen/textures.h"

void DrawNameEntry() {
    OrthoMode(0, 0, screenWidth, screenHeight);
    PrintText(30.0f, 30.0f, "You got high score!", textures, kFontMaskTexture, kFontTexture, 0.7f,
              0.7f, 32, 32, 0.4f, fontCharset);
    PrintText(30.0f, 80.0f, nameText, textures, kFontMaskTexture, kFontTexture, 0.6f, 0.6f, 32, 32,
              0.4f, fontCharset);
    // The picked character blinks where it would go, about three times a second.
    const bool blinkOn = static_cast<int>(animClock * 4.0f) % 2 == 0;
    if (pickerShown && nameLength < kMaxNameLength && blinkOn) {
        const char picked[2] = {pickerCharacter, '\0'};
        const float advance = 32.0f * 0.6f + 0.4f;
        PrintText(30.0f + static_cast<float>(nameLength) * advance, 80.0f, picked, textures,
                  kFontMaskTexture, kFontTexture, 0.6f, 0.6f, 32, 32, 0.4f, fontCharset);
    }
    PrintText(30.0f, 120.0f, "Enter your name.", textures, kFontMaskTexture, kFontTexture, 0.7f,
              0.7f, 32, 32, 0.2f, fontCharset);
    PerspectiveMode();
}
