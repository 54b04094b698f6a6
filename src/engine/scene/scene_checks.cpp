// What a load checks once every chunk is read (the vertex indices of faces and edges), and the
// three paths a scene's pictures are looked for under.
#include "engine/scene/scene_files.h"
#include "engine/scene/scene_reading.h"

namespace scene_reading {
namespace {

char* CopyText(const char* text, size_t length, size_t room)
{
    char* copy = static_cast<char*>(PoolAlloc(static_cast<uint32_t>(room), 1));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length);
    copy[length] = 0;
    return copy;
}

} // namespace

void CheckIndices(Loader& L)
{
    for (SceneObject* o = L.state.scene.objects; o; o = o->next) {
        const uint32_t n = static_cast<uint32_t>(o->vertexCount);
        bool consistent = true;
        for (int32_t i = 0; i < o->faceCount && consistent; ++i) {
            const SceneFace& f = o->faces[i];
            consistent = static_cast<uint32_t>(f.a) < n && static_cast<uint32_t>(f.b) < n &&
                         static_cast<uint32_t>(f.c) < n && f.material;
        }
        for (int32_t i = 0; i < o->edgeCount && consistent; ++i) {
            consistent = static_cast<uint32_t>(o->edges[i].vertexA) < n &&
                         static_cast<uint32_t>(o->edges[i].vertexB) < n;
        }
        if (consistent) continue;
        if (L.state.error != kSceneMemoryError) return Refuse(L);
        PoolFree(o->faces);
        PoolFree(o->edges);
        o->faces = nullptr;
        o->edges = nullptr;
        o->faceCount = o->edgeCount = 0;
    }
}

bool BuildPaths(Scene& s, const char* name)
{
    const size_t length = std::strlen(name);
    size_t stem = length;
    for (size_t i = length; i > 0; --i) {
        const char c = name[i - 1];
        if (c == '\\') break;
        if (c == '.') {
            stem = i - 1;
            break;
        }
    }
    size_t folder = 0;
    for (size_t i = length; i > 0; --i) {
        if (name[i - 1] == '\\') {
            folder = i;
            break;
        }
    }
    s.fsfPath = CopyText(name, stem, length + 6);
    s.datPath = CopyText(name, stem, length + 6);
    s.folderPath = CopyText(name, folder, length + 1);
    if (!s.fsfPath || !s.datPath || !s.folderPath) return false;
    std::memcpy(s.fsfPath + stem, ".FSF", 5);
    std::memcpy(s.datPath + stem, ".DAT\\", 6);
    return true;
}

} // namespace scene_reading
