// The fixed-function layer's display lists: the calls recorded between glNewList and
// glEndList, and played back by glCallList, lists within lists included.
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "platform/web/gl/fixed_gl_parts.h"

namespace fixed_gl {

namespace {

struct ListCommand {
    Op op;
    float a[4];
};
struct DisplayList {
    bool reserved;
    std::vector<ListCommand> commands;
};
constexpr GLuint kMaxLists = 1024;
DisplayList lists[kMaxLists];
GLuint compiling = 0;  // the list being recorded, 0 when none
bool compileAndExecute = false;
int callDepth = 0;

void Replay(const ListCommand& c) {
    switch (c.op) {
        case Op::kBegin:
            Begin(static_cast<GLenum>(c.a[0]));
            break;
        case Op::kEnd:
            End();
            break;
        case Op::kVertex:
            AddVertex(c.a[0], c.a[1], c.a[2]);
            break;
        case Op::kTexCoord:
            SetTexCoord(c.a[0], c.a[1]);
            break;
        case Op::kColor:
            SetColor(c.a);
            break;
        case Op::kTranslate:
            Translate(c.a[0], c.a[1], c.a[2]);
            break;
        case Op::kRotate:
            Rotate(c.a[0], c.a[1], c.a[2], c.a[3]);
            break;
        case Op::kBindTexture:
            BindTexture(static_cast<GLuint>(c.a[0]));
            break;
        case Op::kCallList:
            CallList(static_cast<GLuint>(c.a[0]));
            break;
    }
}

}  // namespace

bool Record(Op op, float a0, float a1, float a2, float a3) {
    if (compiling == 0) return false;
    lists[compiling].commands.push_back(ListCommand{op, {a0, a1, a2, a3}});
    return !compileAndExecute;
}

void CallList(GLuint list) {
    // GL bounds the nesting of lists calling lists; 64 is its smallest allowed limit.
    if (list == 0 || list >= kMaxLists || callDepth >= 64) return;
    ++callDepth;
    for (const ListCommand& c : lists[list].commands) Replay(c);
    --callDepth;
}

}  // namespace fixed_gl

using namespace fixed_gl;

extern "C" {

GLuint glGenLists(GLsizei range) {
    if (range <= 0) return 0;
    for (GLuint first = 1; first + static_cast<GLuint>(range) <= kMaxLists; ++first) {
        bool free = true;
        for (GLsizei i = 0; i < range && free; ++i) free = !lists[first + i].reserved;
        if (!free) continue;
        for (GLsizei i = 0; i < range; ++i) lists[first + i].reserved = true;
        return first;
    }
    return 0;
}

void glDeleteLists(GLuint list, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i) {
        const GLuint n = list + static_cast<GLuint>(i);
        if (n == 0 || n >= kMaxLists) continue;
        lists[n].reserved = false;
        lists[n].commands.clear();  // the storage is kept for the next game's lists
    }
}

void glNewList(GLuint list, GLenum mode) {
    if (list == 0 || list >= kMaxLists || compiling != 0) return;
    compiling = list;
    compileAndExecute = mode == GL_COMPILE_AND_EXECUTE;
    lists[list].reserved = true;
    lists[list].commands.clear();
}

void glEndList() { compiling = 0; }

void glCallList(GLuint list) {
    if (Record(Op::kCallList, static_cast<float>(list))) return;
    CallList(list);
}

}  // extern "C"
