// The work ahead on an SDL thread of its own.
#include <SDL.h>

#include "platform/read_ahead.h"

namespace {

SDL_Thread* worker = nullptr;

struct Piece {
    void (*work)(void*);
    void* context;
};
Piece piece;

int SDLCALL RunPiece(void* data) {
    const Piece* p = static_cast<const Piece*>(data);
    p->work(p->context);
    return 0;
}

}  // namespace

void StartWorkAhead(void (*work)(void*), void* context) {
    FinishWorkAhead();
    piece = Piece{work, context};
    worker = SDL_CreateThread(RunPiece, "kelvado-ahead", &piece);
    if (!worker) work(context);  // no thread to be had: the work is simply done now
}

void FinishWorkAhead() {
    if (!worker) return;
    SDL_WaitThread(worker, nullptr);
    worker = nullptr;
}
