// The object passes of a view: per object its render mode and pass, shown and culling
// switches, texture scrolling, transform into camera space, morph blending, the bounding-sphere
// test, and the call of its renderer with the outline pass after it.
#include <cmath>

#include "engine/frame_pipeline.h"
#include "engine/frame_pipeline_steps.h"
#include "engine/object_renderers.h"
#include "engine/raster/rasteriser.h"
#include "engine/render_modes.h"

namespace {

constexpr float k2Pow23 = 8388608.0f;
constexpr int32_t kTargetRecordSize = 20; // records of the camera-texture renderer (row 21)

ObjectDrawHook drawHook = nullptr;

// The render-mode row in effect, or -1 when the mode track names no row.
int32_t ModeRowAt(const SceneObject& object, float frame)
{
    const int32_t i = StepKeyInEffect(object.modeTrack, frame);
    if (i < 0) return object.renderMode;
    const float value = StepReal(object.modeTrack.keys[i]);
    if (!std::isfinite(value)) return -1;
    return RoundToInt(value);
}

// Affine mapping unless the switch in effect (the first one before any has passed) is not 0.
int32_t AffineMappingAt(const StepList& list, float frame)
{
    if (list.count <= 0 || !list.keys) return 1;
    int32_t i = StepKeyInEffect(list, frame);
    if (i < 0) i = 0;
    return StepReal(list.keys[i]) == 0.0f ? 1 : 0;
}

// A morph target the object can draw with: same vertex and face counts, and vertex normals
// when the object has them.
bool UsableTarget(const SceneObject& object, const SceneObject* target)
{
    return target && target->vertices && target->vertexCount == object.vertexCount &&
           target->faceCount == object.faceCount && target->faces &&
           (!object.vertexNormals || target->vertexNormals);
}

struct SavedMorphData {
    Vec3* vertices;
    Vec3* vertexNormals;
    SceneFace* faces;
    Vec3 boundCentre;
    float boundRadius;
};

// The morph state of one object in this view.
struct Morph {
    bool active = false;   // the object draws with data of its morph targets
    SceneObject* a = nullptr;
    SceneObject* b = nullptr;
    float f = 0.0f;        // weight of b
    bool blending = false; // between the two targets: vertices are blended
    SavedMorphData saved{};
};

// Picks the morph targets and sets the object's bounding sphere from them.
void BeginMorph(SceneObject& object, float frame, Morph& morph)
{
    if (object.morphTrack.keyCount <= 1) return;
    const MorphBlend blend = EvalMorphTrack(frame, object.morphTrack);
    if (!UsableTarget(object, blend.objectA) || !UsableTarget(object, blend.objectB)) return;
    morph.active = true;
    morph.saved = {object.vertices, object.vertexNormals, object.faces, object.boundCentre, object.boundRadius};
    morph.a = blend.objectA;
    morph.b = blend.objectB;
    morph.f = blend.objectA == blend.objectB || !(blend.weight == blend.weight) ? 0.0f : blend.weight;
    const float f = morph.f, g = 1.0f - f;
    morph.blending = f > 0.001f && f < 0.999f && engine.morphVertices;
    if (morph.blending) {
        object.boundCentre = morph.a->boundCentre * g + morph.b->boundCentre * f;
        object.boundRadius = morph.a->boundRadius * g + morph.b->boundRadius * f;
    } else {
        const SceneObject* t = f >= 0.999f ? morph.b : morph.a;
        object.boundCentre = t->boundCentre;
        object.boundRadius = t->boundRadius;
    }
}

// Points the object at the vertices, normals and faces it draws with.
void SetMorphData(SceneObject& object, const Morph& morph)
{
    if (!morph.active) return;
    const float f = morph.f, g = 1.0f - f;
    if (morph.blending) {
        const SceneObject& a = *morph.a;
        const SceneObject& b = *morph.b;
        for (int32_t i = 0; i < object.vertexCount; ++i) {
            engine.morphVertices[i] = a.vertices[i] * g + b.vertices[i] * f;
        }
        object.vertices = engine.morphVertices;
        if (object.vertexNormals && engine.morphNormals) {
            for (int32_t i = 0; i < object.vertexCount; ++i) {
                engine.morphNormals[i] = a.vertexNormals[i] * g + b.vertexNormals[i] * f;
            }
            object.vertexNormals = engine.morphNormals;
        }
        object.faces = f < 0.5f ? a.faces : b.faces;
        return;
    }
    const SceneObject& t = f >= 0.999f ? *morph.b : *morph.a;
    object.vertices = t.vertices;
    if (object.vertexNormals) object.vertexNormals = t.vertexNormals;
    object.faces = t.faces;
}

void EndMorph(SceneObject& object, const Morph& morph)
{
    if (!morph.active) return;
    object.vertices = morph.saved.vertices;
    object.vertexNormals = morph.saved.vertexNormals;
    object.faces = morph.saved.faces;
    object.boundCentre = morph.saved.boundCentre;
    object.boundRadius = morph.saved.boundRadius;
}

// Rotation M and translation t of the object in world space: its node transform about its
// pivot, then each parent's node transform.
void ObjectToWorld(SceneObject& object, float m[9], Vec3& t)
{
    const NodeTransform* node = NodeTransformOfObject(&object);
    for (int32_t i = 0; i < 9; ++i) m[i] = node->rotation[i];
    const Vec3 p = object.pivot;
    t = node->position - Vec3{m[0] * p.x + m[1] * p.y + m[2] * p.z, m[3] * p.x + m[4] * p.y + m[5] * p.z,
                              m[6] * p.x + m[7] * p.y + m[8] * p.z};
    const int32_t limit = engine.scene ? engine.scene->objectCount : 0;
    int32_t steps = 0;
    for (SceneObject* a = object.parentNumber; a && steps < limit; a = a->parentNumber, ++steps) {
        const NodeTransform* parent = NodeTransformOfObject(a);
        const float* pm = parent->rotation;
        t = Vec3{pm[0] * t.x + pm[1] * t.y + pm[2] * t.z, pm[3] * t.x + pm[4] * t.y + pm[5] * t.z,
                 pm[6] * t.x + pm[7] * t.y + pm[8] * t.z} +
            parent->position;
        float r[9];
        for (int32_t i = 0; i < 3; ++i) {
            for (int32_t j = 0; j < 3; ++j) {
                r[3 * i + j] = pm[3 * i] * m[j] + pm[3 * i + 1] * m[3 + j] + pm[3 * i + 2] * m[6 + j];
            }
        }
        for (int32_t i = 0; i < 9; ++i) m[i] = r[i];
    }
}

// Camera-space transform, eye and light in object space, and the environment rows.
void PrepareObjectTransform(const float m[9], Vec3 t, Vec3 scale, const FlareCamera& camera)
{
    const Vec3 rows[3] = {camera.right, camera.forward, camera.up};
    const Vec3 columns[3] = {{m[0], m[3], m[6]}, {m[1], m[4], m[7]}, {m[2], m[5], m[8]}};
    const float s[3] = {scale.x, scale.y, scale.z};
    float cm[9]; // camera x M, unscaled
    for (int32_t i = 0; i < 3; ++i) {
        for (int32_t j = 0; j < 3; ++j) cm[3 * i + j] = Dot(rows[i], columns[j]);
    }
    for (int32_t i = 0; i < 3; ++i) {
        for (int32_t j = 0; j < 3; ++j) engine.objectMatrix[3 * i + j] = cm[3 * i + j] * s[j];
    }
    const Vec3 offset = t - camera.position;
    engine.objectTranslation = {Dot(rows[0], offset), Dot(rows[1], offset), Dot(rows[2], offset)};
    engine.eyeInObject = {-Dot(columns[0], offset) / s[0], -Dot(columns[1], offset) / s[1],
                          -Dot(columns[2], offset) / s[2]};
    engine.lightInObject = {Dot(columns[0], engine.lightVector), Dot(columns[1], engine.lightVector),
                            Dot(columns[2], engine.lightVector)};
    engine.envRight23 = Vec3{cm[0], cm[1], cm[2]} * k2Pow23;
    engine.envUp23 = Vec3{cm[6], cm[7], cm[8]} * k2Pow23;
}

// The bounding-sphere test against the far distance and the four sides of the view pyramid.
bool SphereInView(const SceneObject& object, Vec3 scale)
{
    const float* mc = engine.objectMatrix;
    const Vec3 b = object.boundCentre;
    const Vec3 tc = engine.objectTranslation;
    const float x = mc[0] * b.x + mc[1] * b.y + mc[2] * b.z + tc.x;
    const float y = mc[3] * b.x + mc[4] * b.y + mc[5] * b.z + tc.y;
    const float z = mc[6] * b.x + mc[7] * b.y + mc[8] * b.z + tc.z;
    float largest = scale.x;
    if (scale.y > largest) largest = scale.y;
    if (scale.z > largest) largest = scale.z;
    const float r = object.boundRadius * largest;
    return y < engine.farDistance && x * engine.cosH - y * engine.sinH < r && -x * engine.cosH - y * engine.sinH < r &&
           z * engine.cosV - y * engine.sinV < r && -z * engine.cosV - y * engine.sinV < r;
}

// The renderer call with the outline pass after it.
void DrawObject(SceneObject& object, int32_t modeRow, const RenderMode& row, float frame)
{
    const uint32_t flags = StepValueAt(object.flagTrack, frame, 0);
    const uint32_t key = StepValueAt(object.targetTrack, frame, 0);
    const bool target = (key & 0x80000000u) != 0;
    const int32_t recordSize = target ? kTargetRecordSize : row.workRecordSize;
    engine.outlineMode = (flags & 3) == 0 ? 0 : (flags & 3) == 3 ? 2 : 1;
    if (drawHook) drawHook(ObjectDraw{&object, modeRow, key, engine.outlineMode ? recordSize : 0});
    if (target) RenderTargetObject(&object, key);
    else RenderObject(row.renderer, &object);
    if (engine.outlineMode == 0) return;
    engine.lineMode = static_cast<int32_t>(flags & 1);
    engine.depthBias = static_cast<float>(static_cast<int32_t>(flags) >> 10) * 0.000244140625f;
    engine.creaseLimit = AngleCosine(RoundToInt(static_cast<float>((flags >> 2) & 255) * 45.511112f));
    DrawEdges(&object, recordSize);
}

} // namespace

void SetObjectDrawHook(ObjectDrawHook hook) { drawHook = hook; }

void DrawObjectPass(Scene& scene, float frame, const FlareCamera& camera, int32_t pass)
{
    for (SceneObject* object = scene.objects; object; object = object->next) {
        const int32_t modeRow = ModeRowAt(*object, frame);
        const RenderMode* row = RenderModeRow(modeRow);
        if (!row) continue; // not a mode: never drawn
        const int32_t blend = KeyBlend(row->key);
        if ((blend == kBlendOpaqu ? 0 : 1) != pass) continue;
        if (!ToggleStateAt(object->hideToggles, frame, true) || object->faceCount <= 0 || !object->faces) continue;

        raster.blend = blend;
        raster.colourKey = KeyHasColourKey(row->key) ? 1 : 0;
        engine.backfaceCulling = ToggleStateAt(object->cullToggles, frame, true) ? 1 : 0;
        engine.affineMapping = AffineMappingAt(object->switchTrack, frame);
        object->uvOffset[0] = object->uvOffset[1] = 0;
        if (object->uvTrack.keyCount > 0) {
            const Vec3 uv = EvalUvTrack(frame, object->uvTrack);
            object->uvOffset[0] = RoundToInt(uv.x * 65536.0f);
            object->uvOffset[1] = RoundToInt(uv.y * 65536.0f);
        }
        const Vec3 scale = EvalVectorTrack(frame, object->scaleTrack);

        float m[9];
        Vec3 t;
        ObjectToWorld(*object, m, t);
        PrepareObjectTransform(m, t, scale, camera);

        Morph morph;
        BeginMorph(*object, frame, morph);
        engine.morphing = morph.blending ? 1 : 0;
        if (SphereInView(*object, scale)) {
            SetMorphData(*object, morph);
            DrawObject(*object, modeRow, *row, frame);
        }
        EndMorph(*object, morph);
    }
}
